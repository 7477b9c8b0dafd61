#pragma once

// The host's guard around code it does not trust (a plugin's entry points,
// the scan of the plugins folder), as its own structured exception handler
// is: a hardware fault or a C++ exception inside ends the guarded call, not
// the game.

#include <cstdint>
#include <functional>

namespace sim {

struct GuardedResult {
    bool completed = false;   // false: it faulted or threw
    std::uint32_t fault = 0;  // the hardware fault's code; 0 for a C++ exception
};

// Runs `body` on a thread of its own, where a hardware fault resumes in a
// function that ends that thread with the fault's code.
GuardedResult RunGuarded(const std::function<void()>& body);

}  // namespace sim
