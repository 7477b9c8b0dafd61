#pragma once

// The file calls the list reader makes. Each program links one
// implementation: the DLL the Win32 one (plugin/list_file_win32.cpp), which
// pulls nothing of the C++ runtime's streams or file-system library in; the
// native build and the checker the portable one (names/list_file_std.cpp).
// Paths are UTF-8 text.

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnel {

// A list file opened for one pass.
struct ListFile {
    std::intptr_t handle = -1;  // the platform's handle; -1 when not open
};

// Opens the regular file at `path` for reading; false when it cannot be
// opened or is no regular file (a folder, a device). Throws std::bad_alloc
// when memory runs out, which must not pass for a list that cannot be opened.
bool OpenListFile(const std::string& path, ListFile& file);

// Reads up to `size` bytes into `into`: the number read, 0 at the end of the
// file, -1 when reading failed.
std::int64_t ReadListFile(ListFile& file, char* into, std::size_t size) noexcept;

// Closes a file OpenListFile opened; nothing for one it did not.
void CloseListFile(ListFile& file) noexcept;

// True when something exists at `path`; an error while testing counts as
// absent. Throws std::bad_alloc when memory runs out, which must not pass
// for an absent list.
bool ListFileExists(const std::string& path);

// `path` as the process resolves it against its working folder, for telling
// where a list was looked for; `path` itself when that cannot be had.
std::string ListFileFullPath(const std::string& path);

}  // namespace varnel
