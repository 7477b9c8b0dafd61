#pragma once

// UTF-8 text, decoded and encoded: for the fatal error box, which Windows
// shows from wide text; for paths, which Windows takes and gives as wide
// text; for the plugin's log and the name-list checker, which show names
// byte for byte without letting a control byte or a stray byte through.
// Portable: the standard library only.

#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

// UTF-8 to UTF-16 wide text; a byte that is not valid UTF-8 becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);

// UTF-16 wide text to UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

// Decodes the UTF-8 sequence at `text[at]` and moves `at` past the bytes it
// read; a malformed sequence (a stray byte, overlong, a surrogate, beyond
// U+10FFFF, cut short) gives kReplacementCharacter.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;
char32_t DecodeUtf8(std::string_view text, std::size_t& at);

// The sequence at `text[at]` is well-formed UTF-8; moves `at` past it either way.
bool NextIsValidUtf8(std::string_view text, std::size_t& at);

// Every sequence of `text` is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// `code` appended to `out` as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// Control characters (tab as \t) and bytes that are not valid UTF-8 as \xNN,
// a backslash as \\ unless `backslashes` keeps them (paths); everything else
// as it stands, so the result is valid UTF-8 on one line.
enum class Backslashes : unsigned char { Doubled, Kept };
std::string Escaped(std::string_view text, Backslashes backslashes = Backslashes::Doubled);

}  // namespace varnel
