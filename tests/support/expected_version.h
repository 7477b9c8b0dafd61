#pragma once

// The plugin's version and game runtime as tests expect to find them, from
// the numbers CMake writes (project(VERSION) and VARNEL_GAME_RUNTIME, the one
// place each is set), encoded here by hand rather than by the plugin's own
// encoder.

#include "src/plugin/plugin_version.h"

#include <cstdint>
#include <cstdio>
#include <string>

inline constexpr std::uint32_t kExpectedPluginVersion =
    VARNEL_VERSION_MAJOR << 24 | VARNEL_VERSION_MINOR << 16 | VARNEL_VERSION_BUILD << 4 | VARNEL_VERSION_SUB_BUILD;

inline constexpr std::uint32_t kExpectedGameRuntime =
    VARNEL_GAME_RUNTIME_MAJOR << 24 | VARNEL_GAME_RUNTIME_MINOR << 16 | VARNEL_GAME_RUNTIME_BUILD << 4;

// "2.6": what the fatal error box's caption shows.
inline std::string ExpectedMajorMinor()
{
    return std::to_string(VARNEL_VERSION_MAJOR) + "." + std::to_string(VARNEL_VERSION_MINOR);
}

// "02060000": the record's version as the host's log shows it.
inline std::string ExpectedVersionHex()
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(kExpectedPluginVersion));
    return text;
}
