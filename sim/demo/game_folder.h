#pragma once

// The demo's scratch game folder: the DLL and the lists installed in its
// Data\SFSE\Plugins\, the working directory while the demo runs, removed
// on every exit (Ctrl+C and a closed console window included).

#include "sim/demo/options.h"
#include "sim/host/host_loader.h"

#include <filesystem>
#include <optional>

namespace demo {

// Holds the game folder (`chosen`, or one in the temporary folder) for its
// lifetime, and removes it when it ends or the console is interrupted; with
// `keep`, a chosen folder stays.
struct GameFolderGuard {
    GameFolderGuard(const std::optional<std::filesystem::path>& chosen, bool keep);
    ~GameFolderGuard();
    GameFolderGuard(const GameFolderGuard&) = delete;
    GameFolderGuard& operator=(const GameFolderGuard&) = delete;
};

// Makes a fresh game folder as a Steam installation holds it: Starfield.exe
// of the options' game version, the options' SFSE release beside it, and in
// its Data\SFSE\Plugins the DLL, the lists of the options' names folder and
// every DLL of their plugins folder. Makes it the working directory and
// returns it.
std::filesystem::path PrepareGameFolder(const Options& options);

// The game folder's Data\SFSE\Plugins.
std::filesystem::path PluginFolderOf(const std::filesystem::path& gameFolder);

// What the host loaded from the game folder, so that it can be freed before
// the folder is removed.
sim::HostReport& LoadedPlugins();

}  // namespace demo
