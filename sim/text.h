#pragma once

// How the simulator, the host and the demo write numbers: 8 upper-case
// hexadecimal digits (FormIDs, versions and codes in the host's log).
// Versions as text are the host's (sfse::VersionText).

#include <cstdint>
#include <cstdio>
#include <string>

namespace sim {

inline std::string Hex8(std::uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace sim
