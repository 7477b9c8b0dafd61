#include "tools/namecheck/list_text.h"

#include "src/text/utf8.h"

#include <fstream>
#include <iterator>

namespace varnel {

Encoding DetectEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        return Encoding::Utf16WithMark;
    // UTF-16 text of mostly Latin letters has a NUL in every other byte.
    std::size_t evenNuls = 0;
    std::size_t oddNuls = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        (i % 2 == 0 ? evenNuls : oddNuls) += bytes[i] == '\0' ? 1 : 0;
    const std::size_t half = bytes.size() / 2;
    if (half >= 2 && (evenNuls * 10 >= half * 7 || oddNuls * 10 >= half * 7))
        return Encoding::Utf16NoMark;
    for (std::size_t at = 0; at < bytes.size();) {
        if (!NextIsValidUtf8(bytes, at))
            return Encoding::NotUtf8;
    }
    return Encoding::Utf8;
}

std::string ValidUtf8(std::string_view text, bool& replaced)
{
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        if (NextIsValidUtf8(text, at)) {
            out.append(text.substr(start, at - start));
        } else {
            replaced = true;
            AppendUtf8(out, kReplacementCharacter);
        }
    }
    return out;
}

std::string JsonString(const std::string& text, bool& replaced)
{
    std::string json = "\"";
    for (const char c : ValidUtf8(text, replaced)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            const char* hex = "0123456789abcdef";
            json += "\\u00";
            json += hex[byte >> 4];
            json += hex[byte & 0xF];
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? char32_t(first << 8 | second) : char32_t(second << 8 | first);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t code = unit(i);
        const bool high = code >= 0xD800 && code <= 0xDBFF;
        if (high && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacementCharacter;
        }
        AppendUtf8(out, code);
    }
    return out;
}

}  // namespace varnel
