#pragma once

// UTF-8 text, decoded: for the fatal error box, which Windows shows from wide
// text, and for the name-list checker, which tells valid UTF-8 from bytes of
// another encoding. Portable: the standard library only.

#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

// UTF-8 to UTF-16 wide text; a byte that is not valid UTF-8 becomes U+FFFD.
std::wstring Utf8ToWide(const std::string& text);

// Decodes the UTF-8 sequence at `text[at]` and moves `at` past the bytes it
// read; a malformed sequence (a stray byte, overlong, a surrogate, beyond
// U+10FFFF, cut short) gives kReplacementCharacter.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;
char32_t DecodeUtf8(std::string_view text, std::size_t& at);

}  // namespace varnel
