#pragma once

// Each reason the script extender gives for a plugin in sfse.txt and its
// box, what it means for this plugin and what to do: the one table the
// README's players' section shows and the checker answers from.

#include <cstddef>

namespace varnel {

struct HostReason {
    const char* reason;  // as the host writes it
    const char* action;  // its meaning, and what to do
};

extern const HostReason kHostReasons[];
extern const std::size_t kHostReasonCount;

// Windows' error numbers that "couldn't load plugin" gives most, in words.
struct WindowsError {
    long code;
    const char* meaning;
    const char* action;  // for another plugin; Varnel.dll needs only Windows' own DLLs
};
extern const WindowsError kWindowsErrors[];
const WindowsError* FindWindowsError(long code);

// The row of `reason`, or null for a reason the table does not know.
const HostReason* FindHostReason(const char* reason);

// The reasons the checker answers beyond the table's action, as the host
// writes them.
inline constexpr const char* kReasonWrongRuntime = "disabled, incompatible with current version of the game";
inline constexpr const char* kReasonLoadFault = "disabled, fatal error occurred while loading plugin";
inline constexpr const char* kReasonRefusedInLoad = "reported as incompatible during load";
// The reason of a scan stopped by a file: a line of its own.
inline constexpr const char* kScanStopped = "exception occurred while loading plugins";

}  // namespace varnel
