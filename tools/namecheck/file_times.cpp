#include "tools/namecheck/file_times.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace varnel {

namespace {

#if defined(_WIN32)
std::int64_t Ticks(const FILETIME& time)
{
    return static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
}
#else
std::int64_t Nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}
#endif

}  // namespace

FileTimes TimesOf(const std::filesystem::path& path)
{
#if defined(_WIN32)
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return {};
    return {Ticks(data.ftCreationTime), Ticks(data.ftLastWriteTime)};
#else
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return {};
    return {Nanoseconds(status.st_ctim), Nanoseconds(status.st_mtim)};
#endif
}

}  // namespace varnel
