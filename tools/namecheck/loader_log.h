#pragma once

// SFSE's loader's log, sfse_loader.txt, read as its format strings at 0.2.17
// write it: its start (release, UTC time), the game's version it found, and
// how the run ended: "launching" when it started the game, or the stop
// PrintLoaderError wrote, with what it means and what to do.

#include "tools/namecheck/file_times.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace varnel {

inline constexpr const char* kLoaderLogFile = "sfse_loader.txt";

// A stop of the loader: the opening of its message, its meaning and action.
struct LoaderStop {
    const char* opening;
    std::size_t lines;   // the lines of its message (its own LFs end lines in the log)
    const char* action;
};
extern const LoaderStop kLoaderStops[];
extern const std::size_t kLoaderStopCount;

enum class LoaderLogState { Missing, Unreadable, NotLoaderLog, Read };

struct LoaderLog {
    std::filesystem::path path;
    LoaderLogState state = LoaderLogState::Missing;
    FileTimes times;
    std::string release;                    // "0.2.17"
    std::string startStamp;                 // "2026-12-10 10:00:00", UTC
    std::optional<std::int64_t> started;    // that, in seconds since 1970 UTC
    bool launched = false;                  // it started the game ("launching")
    std::string stopText;                   // the stop's message, its lines joined by blanks
    const LoaderStop* stop = nullptr;       // its row, when the table knows it
};

LoaderLog ReadLoaderLog(const std::filesystem::path& path);

}  // namespace varnel
