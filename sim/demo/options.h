#pragma once

// The demo's command line.

#include "sim/host/host_release.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace demo {

inline constexpr const char* kUsage =
    "usage: scripts/demo.sh [--interactive] [--names FOLDER] [--plugins FOLDER] [--runtime A.B.C] [--sfse VERSION]";

struct Options {
    bool help = false;
    bool interactive = false;
    bool typedInput = false;  // the lines come from a terminal that shows them as typed
    std::filesystem::path names = "data";
    std::optional<std::filesystem::path> plugins;  // every DLL in it goes beside Varnel.dll
    std::string runtimeText = sfse::VersionText(sim::kGameRuntime);
    std::uint32_t runtime = sim::kGameRuntime;  // the game's: its Starfield.exe
    sim::HostRelease release = sim::kHostRelease;  // the script extender installed beside it
    std::optional<std::filesystem::path> gameFolder;  // made and removed by scripts/demo-session.sh
    bool keepGameFolder = false;  // the chosen game folder stays, as a player's installation, for the checker's tests
};

// "a.b.c" (each 0 to 255, build 0 to 4095) as the version encoding; nullopt
// when malformed.
std::optional<std::uint32_t> ParseRuntime(const std::string& text);

// The options of `arguments` (UTF-8); nullopt, with `problem` saying what is
// wrong, for a bad command line.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem);

}  // namespace demo
