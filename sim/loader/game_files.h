#pragma once

// The files a player's game folder holds beside Data: Starfield.exe as each
// store ships it, and a release of the script extender as its archive
// unpacks there (sfse_loader.exe and the host DLL built for its runtime).

#include "sim/host/host_release.h"

#include <cstdint>
#include <filesystem>

namespace sim {

// How the game's executable tells its store: Steam's DRM adds a section
// ".bind"; the Game Pass build imports XCurl.dll, the Epic build the Epic
// SDK, the GOG build Galaxy64.dll; a packed one has UPX's sections.
enum class GameStore { Steam, GamePass, Epic, Gog, Packed };

// Starfield.exe of game version `runtime` (ProductVersion "1.15.216.0").
void WriteGameExe(const std::filesystem::path& folder, std::uint32_t runtime, GameStore store = GameStore::Steam);

// sfse_loader.exe (file version 1.1.1, as in every release) and the host DLL
// of `release` (sfse_1_15_216.dll: file version 0.0.2.17, SFSECore_Version
// naming its runtime).
void WriteHostFiles(const std::filesystem::path& folder, const HostRelease& release);

// The host DLL as a release would ship it, with `coreRuntime` in its
// SFSECore_Version record, under `name`.
void WriteHostDll(const std::filesystem::path& path, const HostRelease& release, std::uint32_t coreRuntime);

}  // namespace sim
