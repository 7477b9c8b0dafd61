#pragma once

// The plugin's own log, Varnel.log, read back for players: whether the
// plugin was loaded, what became of its listener and of the take-over of
// TogglePathLine, and its commands' lines.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

inline constexpr const char* kPluginLogFile = "Varnel.log";

enum class PluginLogState {
    Missing,
    Unreadable,
    Read,
};

struct PluginLog {
    std::filesystem::path path;
    PluginLogState state = PluginLogState::Missing;
    std::optional<std::string> loaded;       // the load line
    std::string loadStamp;                   // its stamp, local time: "2026-12-10 10:00:01.250"
    std::optional<std::string> fatal;        // the line before the plugin's fatal error box
    std::optional<std::string> notOffered;   // a line ending "SetRandomName will not be offered."
    bool listenerRefused = false;            // that line is the refused listener's
    std::optional<std::string> installed;    // the take-over's line
    std::optional<std::string> notInstalled; // the line naming the command not found
    std::size_t renamed = 0;                 // commands that gave a name
    std::vector<std::string> failures;       // failed commands' lines, oldest first
    bool lastCommandFailed = false;
    bool full = false;                       // the 1 MiB line: later lines were left out
    bool cut = false;                        // its last line ends without a line end: cut while written
    std::size_t unstamped = 0;               // lines without the time stamp every line begins with
};

PluginLog ReadPluginLog(const std::filesystem::path& path);

// From a failure's line: the list's full path when it was missing, empty or
// could not be opened ("list C:\...\FemaleNames.txt (missing)"); empty otherwise.
std::string UnreadListPath(const std::string& failure);

}  // namespace varnel
