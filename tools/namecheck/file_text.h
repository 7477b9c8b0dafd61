#pragma once

// The checker's reading of files and its plain text helpers, below both the
// list checks and the installation's: a file read whole, its lines, paths as
// UTF-8 and as shown, file names compared as Windows compares them, counts.

#include "tools/namecheck/file_times.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// Every byte of the file at `path`; nullopt when it cannot be opened.
std::optional<std::string> ReadBytes(const std::filesystem::path& path);

// A file the checker reads whole (a log, a DLL): whether anything is there,
// its times when it is, and its bytes when it is a file that could be read.
struct WholeFile {
    bool present = false;
    FileTimes times;
    std::optional<std::string> bytes;
};
WholeFile ReadWholeFile(const std::filesystem::path& path);

// The lines of `bytes`, split at LF with a CR before it dropped; a last line
// without its LF is a line too.
std::vector<std::string_view> LinesOf(std::string_view bytes);

// Text SFSE wrote through Windows' narrow calls, in the machine's ANSI code
// page: as UTF-8. Text that is UTF-8 already stays as it is; elsewhere than
// Windows the code page is taken to be Windows-1252, the commonest.
std::string AnsiAsUtf8(const std::string& text);

// A-Z as a-z, the rest as it is: how Windows compares file names here.
std::string AsciiLowerCase(std::string text);

// `a` and `b` name the same file as Windows compares names: letter case ignored.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// UTF-16 of either byte order as UTF-8, unit by unit to the last whole one;
// a surrogate pair as its one character.
std::string Utf16AsUtf8(std::string_view bytes, bool littleEndian);

// Something is at `path` (false when it cannot be asked).
bool Exists(const std::filesystem::path& path);

// `folder` / `relative`, each part found whatever its letter case, as
// Windows, Wine and Proton find files; a part not there stays as written.
std::filesystem::path PathIgnoringCase(const std::filesystem::path& folder, const std::filesystem::path& relative);

// The path's bytes as UTF-8, unescaped: for comparing and for JSON.
std::string PathAsUtf8(const std::filesystem::path& path);

// A path's UTF-8 text as shown on a terminal: control and stray bytes
// escaped, its backslashes as they are.
std::string EscapedPathText(std::string_view path);

// EscapedPathText of the path's UTF-8.
std::string EscapedPath(const std::filesystem::path& path);

// "1 name", "2 names".
std::string Count(std::int64_t count, const char* one, const char* many);

}  // namespace varnel
