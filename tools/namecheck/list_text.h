#pragma once

// The bytes of a name list as text: which encoding it is in, and names
// shown safely on a terminal or in JSON.

#include "src/text/utf8.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

enum class Encoding {
    Utf8,          // valid UTF-8 (plain ASCII included): what the game expects
    Utf16WithMark, // Notepad's "Unicode": a byte-order mark, then UTF-16
    Utf16NoMark,   // UTF-16 without a mark: every other byte is NUL
    NotUtf8,       // bytes that are not UTF-8, as an old Windows code page writes
};

Encoding DetectEncoding(std::string_view bytes);

// UTF-8's byte-order mark, which Notepad's "UTF-8 with BOM" puts first.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The text with each malformed UTF-8 sequence replaced by U+FFFD; `replaced`
// is set when one was.
std::string ValidUtf8(std::string_view text, bool& replaced);

// The text as a JSON string. JSON strings are valid UTF-8: malformed bytes
// become U+FFFD, and `replaced` is set when one did.
std::string JsonString(const std::string& text, bool& replaced);

// UTF-16 bytes (no mark) to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

}  // namespace varnel
