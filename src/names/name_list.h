#pragma once

#include "src/names/list_names.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace varnel {

// Name lists: plain text, one name per line, read with the Windows text-mode
// rules on every platform (CR directly before LF dropped, a lone CR kept,
// 0x1A ends the input). Lines are numbered from 1 and empty lines count.


// Two ways in, named alike: by the file name of one of the plugin's lists in
// PluginFolder (what the command uses), and by the UTF-8 path of any list
// file (what the checker and the tests use). Files are reached through
// names/list_file.h. Nothing here prints: the caller says what a failure means.

// What counting one of the plugin's lists found.
struct ListCount {
    std::int32_t lines = 0;  // `NameCount`: 0 when the list cannot be read
    bool missing = false;    // nothing at all is at the list's path
    bool unopenable = false; // something is there, but it could not be opened as a file
    bool operator==(const ListCount&) const = default;
};

// `NameCount` of PluginFolder + fileName.
ListCount CountNames(std::string fileName) noexcept;

// `sNewName` for `lineNumber` of PluginFolder + fileName: the first non-empty
// line at or after it, cut before a NUL byte; empty when there is none or
// the list is missing or unreadable.
std::string ReadNameAt(std::string fileName, std::int32_t lineNumber) noexcept;

// Number of lines of the list file at `path`; 0 when it cannot be opened or read.
std::int32_t CountNamesInFile(const std::string& path) noexcept;

// ReadNameAt for the list file at `path`.
std::string ReadNameAtInFile(const std::string& path, std::int32_t lineNumber) noexcept;

// Calls `visit` with each line of the list file at `path`, in order, as the
// functions above see it (NUL bytes not yet cut). False when the file cannot
// be opened or reading fails part-way.
bool VisitLinesInFile(const std::string& path,
                      const std::function<void(const std::string& line)>& visit) noexcept;

}  // namespace varnel
