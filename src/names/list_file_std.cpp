// The list file through the C++ standard library, for every program but the
// DLL. A ListFile's handle is the stream it owns.

#include "src/names/list_file.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace varnel {

namespace {

std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::ifstream* StreamOf(const ListFile& file) { return reinterpret_cast<std::ifstream*>(file.handle); }

}  // namespace

bool OpenListFile(const std::string& path, ListFile& file)
{
    const std::filesystem::path at = PathOf(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(at, error))
        return false;
    auto stream = std::make_unique<std::ifstream>();
    stream->rdbuf()->pubsetbuf(nullptr, 0);  // reads go straight into the caller's buffer
    stream->open(at, std::ios::in | std::ios::binary);
    if (!stream->is_open())
        return false;
    file.handle = reinterpret_cast<std::intptr_t>(stream.release());
    return true;
}

std::int64_t ReadListFile(ListFile& file, char* into, std::size_t size) noexcept
{
    try {
        std::ifstream& stream = *StreamOf(file);
        stream.read(into, static_cast<std::streamsize>(size));
        return stream.bad() ? -1 : static_cast<std::int64_t>(stream.gcount());
    } catch (...) {
        return -1;
    }
}

void CloseListFile(ListFile& file) noexcept
{
    if (file.handle != -1)
        delete StreamOf(file);
    file.handle = -1;
}

bool ListFileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(PathOf(path), error) && !error;
}

std::string ListFileFullPath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(PathOf(path), error);
    if (error)
        return path;
    const std::u8string utf8 = full.u8string();
    return {utf8.begin(), utf8.end()};
}

}  // namespace varnel
