#pragma once

// The script extender's start-up as the real host runs it for every *.dll in
// Data\SFSE\Plugins: scan each file without running its code, check its
// version record, load those that pass, then report. Its log lines are the
// host's own (Documents\My Games\Starfield\SFSE\Logs\sfse.txt).

#include "sim/game/game_image.h"
#include "src/plugin/host_api.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// The simulated game's runtime, as the game reports it.
inline constexpr std::uint32_t kGameRuntime = sfse::EncodeVersion(kRuntimeMajor, kRuntimeMinor, kRuntimeBuild, 0);

// "A.B.C" of the simulated game's runtime.
std::string RuntimeText();
// The simulated host's own version (0.2.17.0), against which a plugin's
// minimum host version is checked.
inline constexpr std::uint32_t kHostVersion = 0x00021100;

struct HostStartup {
    std::uint32_t runtime = kGameRuntime;
    std::uint32_t hostVersion = kHostVersion;
};

struct PluginState {
    std::string file;           // file name, without folder
    std::uint32_t dataVersion = 0;
    std::string name;
    std::uint32_t pluginVersion = 0;
    std::uint32_t handle = 0;   // 1, 2, ... for those that passed the checks
    std::string failure;        // empty when loaded correctly
    std::uint32_t code = 0;     // Windows error or exception code; 0 when none
    void* module = nullptr;     // the loaded DLL; null unless loaded correctly
};

struct HostReport {
    std::vector<std::string> log;         // sfse.txt, line by line
    std::optional<std::string> messageBox;
    std::vector<PluginState> plugins;     // in scan order
};

// Scans and loads the plugins of `folder` and sends the loaded ones messages
// 0 (post-load) and 1 (post-post-load).
HostReport StartHost(const std::filesystem::path& folder, const HostStartup& startup = {});

// The game's data has loaded: messages 2 (post-data-load) and 3.
void SendDataLoadedMessages();

// Frees the plugins StartHost loaded and forgets their listeners. The real
// host never does; the simulation does it so their files can be deleted.
void UnloadPlugins(HostReport& report);

// "a.b.c" (each 0 to 255, build 0 to 4095) as the version encoding; nullopt
// when malformed.
std::optional<std::uint32_t> ParseRuntime(const std::string& text);

}  // namespace sim
