#pragma once

// The host's checks on its copy of a plugin's version record, in its order.

#include "sim/host/host_report.h"
#include "src/plugin/host_api.h"

#include <string>

namespace sim {

// The reason the host disables the plugin; empty when it passes. A record
// that uses the address library needs Data\SFSE\Plugins\versionlib-A-B-C-0.bin
// (relative to the working folder), looked for once per start-up.
std::string CheckRecord(const sfse::PluginVersionData& record, const HostStartup& startup, HostReport& report);

}  // namespace sim
