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
    bool atLoad = false;       // failed while SFSE ran plugins' Preload or Load, not at its scan: it held a handle
};

enum class HostLogState {
    Missing,
    Unreadable,
    Empty,       // created at the start and never written out: the game ended before the plugins had loaded
    NotHostLog,  // not begun by the host's first line
    Read,
};

struct HostLog {
    std::filesystem::path path;
    HostLogState state = HostLogState::Missing;
    FileTimes times;
    std::size_t size = 0;                    // its bytes
    std::string encodingNote;                // how it was re-saved ("UTF-16"), when not as SFSE writes it
    std::string hostVersion;                 // "0.2.17"
    std::optional<std::int64_t> started;     // its start line's stamp (UTC), in seconds since 1970
    std::string startStamp;                  // that stamp as written
    std::optional<std::uint32_t> runtime;    // the game's, encoded as plugin records encode it
    std::string pluginDirectory;             // as written, with its closing backslash
    bool complete = false;                   // "init complete" was written: the start-up ran to its end
    std::vector<HostPluginLine> plugins;     // in the log's order
    std::optional<std::string> scanStoppedBy;  // the file checked right before "exception occurred while loading plugins"
    std::string lastChecked;                 // the file of the last "checking plugin <file>"
    std::string cutLine;                     // a last line without its line end: cut where the file stops
    bool loadingPlugins = false;             // past the scan: SFSE runs plugins' Preload and Load
};

HostLog ReadHostLog(const std::filesystem::path& path);

// The last line of `file` (letter case ignored, as Windows names files), or null.
const HostPluginLine* LineOf(const HostLog& log, const std::string& file);

// SFSE writes its log out in blocks of this size: one cut where the game
// ended is at a multiple of it.
inline constexpr std::size_t kHostLogBlock = 4096;

// The failures the host logged before line `before`, those the box lists.
std::vector<HostPluginLine> FailuresBefore(const HostLog& log, std::size_t before);

// One plugin's line in SFSE's failure box, as the box writes it: the DLL's
// name, " v" and its version unless 0, the reason, and a code that is not 0
// in brackets as eight hexadecimal digits.
std::string BoxLine(const HostPluginLine& plugin);

}  // namespace varnel
