#pragma once

// How the simulator, the host and the demo write numbers: 8 upper-case
// hexadecimal digits (FormIDs, versions and codes in the host's log).
// Versions as text are the host's (sfse::VersionText). Paths as text are
// their UTF-8.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace sim {

inline std::string Hex8(std::uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

inline std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

}  // namespace sim
