#pragma once

// When a file was put where it is and when it was last written. Unzipping
// or copying keeps a file's last-write time from the archive: only the time
// it was put in place tells when a plugin was installed.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

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

// Seconds since 1970-01-01 00:00 UTC of a time of FileTimes' scale.
std::int64_t UnixSecondsOf(std::int64_t fileTime);

// "2026-12-10 10:00:00" (the script extender's stamps, in UTC; the plugin's
// begin so, in local time) as seconds since 1970-01-01 00:00 UTC; nullopt
// when it is no such time.
std::optional<std::int64_t> UtcStampSeconds(std::string_view stamp);
std::optional<std::int64_t> LocalStampSeconds(std::string_view stamp);

// Seconds since 1970 UTC as "2026-12-10 10:00:00".
std::string UtcStampText(std::int64_t seconds);

}  // namespace varnel
