#pragma once

// SFSE's loader (sfse_loader.exe, 0.2.17) as it runs before the game: it
// reads Starfield.exe's version and store from the game folder, looks for the
// host DLL built for that version beside it and checks its SFSECore_Version
// record, then starts the game. Every step goes to sfse_loader.txt (in the
// Logs folder of Documents\My Games\Starfield\SFSE, emptied at each run);
// the first error stops it with a box titled "SFSE Loader".

#include "sim/host/host_release.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct LoaderRun {
    bool started = false;           // it passed every check and started the game
    std::vector<std::string> log;   // sfse_loader.txt, line by line
    std::optional<std::string> box; // the error box's text, when it stopped with one
    std::filesystem::path hostDll;  // the host DLL it checked (empty before it got there)
};

inline constexpr const char* kLoaderBoxTitle = "SFSE Loader";

// Runs the loader of `release`, named `loaderName`, from `gameFolder`. It
// reads no sfse.ini (a custom runtime name is not simulated) and starts no
// process: the simulated game is the calling process, started after it.
LoaderRun RunLoader(const std::filesystem::path& gameFolder, const HostRelease& release,
                    const std::string& loaderName = "sfse_loader.exe");

// Where the loader writes its log; empty without a Documents folder.
std::filesystem::path LoaderLogFilePath();

}  // namespace sim
