#pragma once

// The versions the simulated start is made of: the game's runtime, and the
// releases of the script extender whose source the simulation follows.

#include "sim/game/game_image.h"
#include "src/plugin/host_api.h"

#include <cstdint>
#include <string>

namespace sim {

// The simulated game's runtime, as the game reports it.
inline constexpr std::uint32_t kGameRuntime = sfse::EncodeVersion(kRuntimeMajor, kRuntimeMinor, kRuntimeBuild, 0);

// One release of the script extender: its own version, packed as it packs
// it (major << 24, minor << 16, beta << 4; a plugin's minimum host version is
// checked against it), and the one game runtime it is built for.
struct HostRelease {
    std::uint32_t version;
    std::uint32_t runtime;
};

// 0.2.17 (commit d30e39d) and 0.2.18 (3f4bbe8): their plugin loading is the
// same; their versions, runtimes, box titles, address-library and host DLL
// names differ, each made from these numbers.
inline constexpr HostRelease kHostReleases[] = {
    {sfse::EncodeVersion(0, 2, 17, 0), kGameRuntime},
    {sfse::EncodeVersion(0, 2, 18, 0), sfse::EncodeVersion(1, 15, 222, 0)},
};
inline constexpr HostRelease kHostRelease = kHostReleases[0];
inline constexpr std::uint32_t kHostVersion = kHostRelease.version;

// Where the host DLL's header asks to be loaded: SFSE's own image base in
// the first lines of sfse.txt.
inline constexpr std::uint64_t kHostDllBase = 0x180000000;

// The release whose version reads `text` ("0.2.18"), or null.
inline const HostRelease* FindHostRelease(const std::string& text)
{
    for (const HostRelease& release : kHostReleases) {
        if (sfse::VersionText(release.version) == text)
            return &release;
    }
    return nullptr;
}

// "sfse_1_15_216.dll": the host DLL the loader looks for beside it.
inline std::string HostDllName(std::uint32_t runtime)
{
    return "sfse_" + std::to_string(sfse::VersionMajor(runtime)) + "_" + std::to_string(sfse::VersionMinor(runtime)) +
           "_" + std::to_string(sfse::VersionBuild(runtime)) + ".dll";
}

}  // namespace sim
