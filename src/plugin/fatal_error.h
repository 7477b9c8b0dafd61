#pragma once

// The fatal error report: a message box naming where the plugin failed,
// then the end of the game process. Only used while the plugin loads.

#include "plugin/host_api.h"

#include <cstdint>
#include <string>
#include <string_view>

// kFatalErrorText filled in: "Fatal error has occured in function <function>
// at line <line>", two empty lines, "Error text: ", then " -> <error text>",
// each line ended by LF.
std::string ComposeFatalErrorText(const std::string& functionName, std::uint32_t lineNumber,
                                  const std::string& errorText);

// The name field of the record, up to its first zero byte.
std::string GetPluginName(const PluginVersionData& record = SFSEPlugin_Version);

// "<major>.<minor>" of the record's plugin version.
std::string GetPluginVersionText(const PluginVersionData& record = SFSEPlugin_Version);

// UTF-8 to UTF-16 wide text; a byte that is not valid UTF-8 becomes U+FFFD.
std::wstring Utf8ToWide(const std::string& text);

// Decodes the UTF-8 sequence at `text[at]` and moves `at` past the bytes it
// read; a malformed sequence (a stray byte, overlong, a surrogate, beyond
// U+10FFFF, cut short) gives kReplacementCharacter.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;
char32_t DecodeUtf8(std::string_view text, std::size_t& at);

// Shows `message` in a message box captioned with the plugin's name and
// version, then terminates the process with exit code 0. Returns only if
// termination does.
void ReportFatalError(std::string message);
