#pragma once

// The demo's scratch game folder: the DLL and the lists installed in its
// Data\SFSE\Plugins\, the working directory while the demo runs, removed
// on every exit (Ctrl+C and a closed console window included).

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

// Installs the DLL, the lists of `names` and every DLL of `plugins` into a
// fresh game folder and makes it the working directory. Returns the plugin
// folder.
std::filesystem::path PrepareGameFolder(const std::filesystem::path& names,
                                        const std::optional<std::filesystem::path>& plugins);

// What the host loaded from the game folder, so that it can be freed before
// the folder is removed.
sim::HostReport& LoadedPlugins();

}  // namespace demo
