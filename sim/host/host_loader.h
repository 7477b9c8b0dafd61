#pragma once

// The script extender's start-up as the real host runs it on the *.dll files
// of Data\SFSE\Plugins: scan each file without running its code and check
// its version record; call SFSEPlugin_Preload of every plugin that exports
// it, then SFSEPlugin_Load, each under a guard; log the plugins that loaded;
// show a box when any failed; send messages 0 and 1. Its log is Host().log.

#include "sim/host/host_report.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace sim {

// The system's version as the host and its loader word it: "10.0 (19045)".
std::string OsText();

HostReport StartHost(const std::filesystem::path& folder, const HostStartup& startup = {});

// The game's data has loaded: messages 2 (post-data-load) and 3.
void SendDataLoadedMessages();

// Frees the plugins StartHost loaded (and a file its scan left mapped) and
// forgets their listeners and menu callbacks. The real host never does; the simulation does it so their
// files can be deleted.
void UnloadPlugins(HostReport& report);

}  // namespace sim
