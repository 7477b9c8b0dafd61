#pragma once

// The versions the simulated start is made of: the game's runtime and the
// script extender's own.

#include "sim/game/game_image.h"
#include "src/plugin/host_api.h"

#include <cstdint>

namespace sim {

// The simulated game's runtime, as the game reports it.
inline constexpr std::uint32_t kGameRuntime = sfse::EncodeVersion(kRuntimeMajor, kRuntimeMinor, kRuntimeBuild, 0);

// The host's own version, 0.2.17, packed as it packs it (major << 24, minor
// << 16, beta << 4): a plugin's minimum host version is checked against it.
inline constexpr std::uint32_t kHostVersion = sfse::EncodeVersion(0, 2, 17, 0);

}  // namespace sim
