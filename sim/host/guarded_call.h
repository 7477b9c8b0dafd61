#pragma once

// The host's guard around code it does not trust (a plugin's entry points,
// the scan of the plugins folder), as its own structured exception handler
// is: on the calling thread, every exception inside (a hardware fault,
// RaiseException, a breakpoint, a C++ exception) ends the guarded call,
// the frames between are unwound, and the game goes on.

#include <cstdint>
#include <functional>

namespace sim {

struct GuardedResult {
    bool completed = false;   // false: an exception ended it
    std::uint32_t code = 0;   // that exception's code; 0 for a C++ exception
};

GuardedResult RunGuarded(const std::function<void()>& body);

// True while the calling thread runs inside RunGuarded.
bool InsideGuard();

}  // namespace sim
