// The list file through Win32 calls, for the DLL: nothing of the C++
// runtime's streams, locales or file-system library comes with it.

#include "src/names/list_file.h"
#include "src/text/utf8.h"

#include <windows.h>

#include <string>

namespace varnel {

namespace {

// The UTF-8 path as Windows takes it; empty when it is not valid UTF-8.
std::wstring WidePath(const std::string& path) { return IsUtf8(path) ? Utf8ToWide(path) : std::wstring{}; }

HANDLE HandleOf(const ListFile& file) { return reinterpret_cast<HANDLE>(file.handle); }

}  // namespace

bool OpenListFile(const std::string& path, ListFile& file)
{
    const std::wstring wide = WidePath(path);
    if (wide.empty())
        return false;
    // Others may go on reading and writing the list while it is read, as a
    // text editor does.
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return false;
    }
    file.handle = reinterpret_cast<std::intptr_t>(handle);
    return true;
}

std::int64_t ReadListFile(ListFile& file, char* into, std::size_t size) noexcept
{
    // One ReadFile takes at most 4 GiB; the reader asks for far less.
    const DWORD wanted = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(HandleOf(file), into, wanted, &got, nullptr))
        return -1;
    return got;
}

void CloseListFile(ListFile& file) noexcept
{
    if (file.handle != -1)
        CloseHandle(HandleOf(file));
    file.handle = -1;
}

bool ListFileExists(const std::string& path)
{
    const std::wstring wide = WidePath(path);
    return !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ListFileFullPath(const std::string& path)
{
    const std::wstring wide = WidePath(path);
    const DWORD size = wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return WideToUtf8(full);
}

}  // namespace varnel
