#pragma once

// The script extender's own log, sfse.txt, read line by line as its host
// (0.2.17) writes it: its start (version, game runtime), the plugin folder it
// scanned, each plugin's line with its outcome, a scan stopped by a file,
// and whether the start-up ran to its end.

#include "tools/namecheck/file_times.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

inline constexpr const char* kHostLogFile = "sfse.txt";

// "plugin <file> (<format> <name> <version>) <outcome>": one plugin's verdict.
struct HostPluginLine {
    std::size_t lineNumber = 0;
    std::string file;
    std::string name;
    std::uint32_t pluginVersion = 0;
    bool loaded = false;       // "loaded correctly"
    std::string reason;        // otherwise the host's reason
    std::string code;          // the number after the reason (Windows' error for "couldn't load plugin")
    bool inBox = false;        // the failure box lists it (all failures but "no version data")
};

enum class HostLogState {
    Missing,
    Unreadable,
    NotHostLog,  // empty, or not begun by the host's first line
    Read,
};

struct HostLog {
    std::filesystem::path path;
    HostLogState state = HostLogState::Missing;
    FileTimes times;
    std::string hostVersion;                 // "0.2.17"
    std::optional<std::uint32_t> runtime;    // the game's, encoded as plugin records encode it
    std::string pluginDirectory;             // as written, with its closing backslash
    bool complete = false;                   // "init complete" was written: the start-up ran to its end
    std::vector<HostPluginLine> plugins;     // in the log's order
    std::optional<std::string> scanStoppedBy;  // the file checked right before "exception occurred while loading plugins"
    std::string lastChecked;                 // the file of the last "checking plugin <file>"
};

HostLog ReadHostLog(const std::filesystem::path& path);

// The last line of `file` (letter case ignored, as Windows names files), or null.
const HostPluginLine* LineOf(const HostLog& log, const std::string& file);

// The failures the host logged before line `before`, those the box lists.
std::vector<HostPluginLine> FailuresBefore(const HostLog& log, std::size_t before);

}  // namespace varnel
