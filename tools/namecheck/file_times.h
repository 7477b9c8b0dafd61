#pragma once

// When a file was put where it is and when it was last written. Unzipping
// or copying keeps a file's last-write time from the archive: only the time
// it was put in place tells when a plugin was installed.

#include <cstdint>
#include <filesystem>

namespace varnel {

// On one scale of this platform, comparable with each other only; 0 when
// the file cannot be asked.
struct FileTimes {
    std::int64_t placed = 0;   // Windows: created; elsewhere: its inode last changed (a later chmod counts too)
    std::int64_t written = 0;
};

FileTimes TimesOf(const std::filesystem::path& path);

// The later of the two: when the file's content arrived as it is now.
inline std::int64_t ArrivedAt(const FileTimes& times) { return times.placed > times.written ? times.placed : times.written; }

}  // namespace varnel
