#pragma once

// Every verdict the checker can give on an installation: its key, exit
// status, text and action, in the order they are decided. Where the disk
// shows several things in the way, the verdict earliest in this table is
// the one given: the game's own files before SFSE's, SFSE before the
// plugin, the plugin's loading before its commands. The README's table of
// verdicts is a copy that a test holds to this one.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace varnel {

enum class Status {
    Clear,    // nothing stands in the way of the command: exit status 0
    Blocked,  // something does: 1
    Unknown,  // a file that would settle it could not be read: 2
};

// Text and action name their variable parts <like-this>; Decide fills them.
struct Verdict {
    const char* key;     // the JSON's "verdict"
    Status status;
    const char* text;
    const char* action;
};

extern const Verdict kVerdicts[];
extern const std::size_t kVerdictCount;

// The row of `key`; null for a key the table does not have.
const Verdict* FindVerdict(const std::string& key);

// `pattern` with each <name> of `values` filled in.
using Filling = std::vector<std::pair<std::string, std::string>>;
std::string Filled(const char* pattern, const Filling& values);

int ExitStatusOf(Status status);

}  // namespace varnel
