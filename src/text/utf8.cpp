#include "text/utf8.h"

namespace varnel {

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
    const bool overlong = (trailing == 2 && code < 0x800) || (trailing == 3 && code < 0x10000);
    const bool invalid = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
    return overlong || invalid ? kReplacementCharacter : code;
}

std::wstring Utf8ToWide(const std::string& text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t code = DecodeUtf8(text, at);
        if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
            wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(code);
        }
    }
    return wide;
}

}  // namespace varnel
