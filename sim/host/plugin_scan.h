#pragma once

// The host's scan of Data\SFSE\Plugins: every *.dll in the order the folder
// lists them, each mapped without running its code, its version record
// copied and checked.

#include "sim/host/host_report.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sim {

// The folder's *.dll files as the game's NTFS folder lists them: by the
// ordinal order of their upper-cased names (so letter case does not count,
// and '_' comes after the letters).
std::vector<std::filesystem::path> PluginFilesInFolderOrder(const std::filesystem::path& folder);

// Scans the files into report.plugins, giving handles 1, 2, ... to those
// that pass the checks. The scan runs under the host's guard: a fault in it
// is logged and no later file is scanned.
void ScanPlugins(HostReport& report, const std::filesystem::path& folder, const HostStartup& startup);

}  // namespace sim
