#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// Name lists: plain text, one name per line, read with the Windows text-mode
// rules on every platform (CR directly before LF dropped, a lone CR kept,
// 0x1A ends the input). Lines are numbered from 1 and empty lines count.

// Folder of the lists, relative to the game's working directory.
inline constexpr std::string_view PluginFolder = ".\\Data\\SFSE\\Plugins\\";

// The list operations below take a path, so tools can name any file (on
// Windows, in any script); the plugin's own paths are plain ASCII.

// Number of lines of the list at `path`; 0 when it cannot be opened or read.
std::int32_t CountLinesOfList(const std::filesystem::path& path) noexcept;

// The first non-empty line at or after `lineNumber` of the list at `path`,
// cut before a NUL byte; empty when there is none or the list is unreadable.
std::string ReadNameOfList(const std::filesystem::path& path, std::int32_t lineNumber) noexcept;

// Calls `visit` with each line of the list at `path`, in order, as the
// functions above see it (NUL bytes not yet cut). False when the list cannot
// be opened or reading fails part-way.
bool VisitLinesOfList(const std::filesystem::path& path,
                      const std::function<void(const std::string& line)>& visit) noexcept;

// True when something exists at `path`; an error while testing counts as absent.
bool ListExists(const std::filesystem::path& path) noexcept;

// `NameCount` of PluginFolder + fileName. Prints one console line when the
// list is missing.
std::int32_t CountNames(std::string fileName) noexcept;

// `sNewName` for `lineNumber` of PluginFolder + fileName. Never prints.
std::string ReadNameAt(std::string fileName, std::int32_t lineNumber) noexcept;
