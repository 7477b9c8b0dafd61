#pragma once

// How the simulator, the host and the demo write numbers: 8 upper-case
// hexadecimal digits (FormIDs, versions and codes in the host's log), and a
// version as A.B.C.D.

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

// The version encoding (major in bits 24 to 31, minor in 16 to 23, build in
// 4 to 15, sub-build in 0 to 3) as A.B.C.D.
inline std::string VersionText(std::uint32_t version)
{
    return std::to_string(version >> 24) + "." + std::to_string((version >> 16) & 0xFF) + "." +
           std::to_string((version >> 4) & 0xFFF) + "." + std::to_string(version & 0xF);
}

}  // namespace sim
