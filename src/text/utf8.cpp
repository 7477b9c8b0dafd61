#include "src/text/utf8.h"

namespace varnel {

namespace {

constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstLowSurrogate = 0xDC00;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstBeyondSixteenBits = 0x10000;

void AppendHexByte(std::string& out, unsigned char byte)
{
    constexpr const char* digits = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

}  // namespace

char32_t DecodeUtf8(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    const int trailing = lead >= 0xF5 ? -1 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (trailing < 0 || at + static_cast<std::size_t>(trailing) > text.size())
        return kReplacementCharacter;
    char32_t code = lead & (0x3F >> trailing);
    for (int i = 0; i < trailing; ++i) {
        const auto next = static_cast<unsigned char>(text[at]);
        if ((next & 0xC0) != 0x80)
            return kReplacementCharacter;
        code = code << 6 | (next & 0x3F);
        ++at;
    }
    const bool overlong = (trailing == 2 && code < 0x800) || (trailing == 3 && code < kFirstBeyondSixteenBits);
    const bool invalid = code > 0x10FFFF || (code >= kFirstSurrogate && code <= kLastSurrogate);
    return overlong || invalid ? kReplacementCharacter : code;
}

bool NextIsValidUtf8(std::string_view text, std::size_t& at)
{
    const std::size_t start = at;
    const char32_t code = DecodeUtf8(text, at);
    return code != kReplacementCharacter || text.substr(start, at - start) == "\xEF\xBF\xBD";
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        if (!NextIsValidUtf8(text, at))
            return false;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < kFirstBeyondSixteenBits) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::wstring Utf8ToWide(std::string_view text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t code = DecodeUtf8(text, at);
        if (sizeof(wchar_t) == 2 && code >= kFirstBeyondSixteenBits) {
            wide += static_cast<wchar_t>(kFirstSurrogate + ((code - kFirstBeyondSixteenBits) >> 10));
            wide += static_cast<wchar_t>(kFirstLowSurrogate + ((code - kFirstBeyondSixteenBits) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(code);
        }
    }
    return wide;
}

std::string WideToUtf8(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        auto code = static_cast<char32_t>(wide[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            const auto next = i + 1 < wide.size() ? static_cast<char32_t>(wide[i + 1]) : char32_t{0};
            if (code >= kFirstSurrogate && code < kFirstLowSurrogate && next >= kFirstLowSurrogate &&
                next <= kLastSurrogate) {
                AppendUtf8(out, kFirstBeyondSixteenBits + ((code - kFirstSurrogate) << 10) + (next - kFirstLowSurrogate));
                ++i;
                continue;
            }
        }
        if ((code >= kFirstSurrogate && code <= kLastSurrogate) || code > 0x10FFFF)
            code = kReplacementCharacter;
        AppendUtf8(out, code);
    }
    return out;
}

std::string Escaped(std::string_view text, Backslashes backslashes)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x20 || byte == 0x7F) {
            if (byte == '\t')
                out += "\\t";
            else
                AppendHexByte(out, byte);
            ++at;
        } else if (byte == '\\') {
            out += backslashes == Backslashes::Kept ? "\\" : "\\\\";
            ++at;
        } else if (NextIsValidUtf8(text, at)) {
            out.append(text.substr(start, at - start));
        } else {
            at = start + 1;
            AppendHexByte(out, byte);
        }
    }
    return out;
}

}  // namespace varnel
