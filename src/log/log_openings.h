#pragma once

// How the lines of Varnel.log that tell the plugin's state begin (or, for
// the load line, what follows the plugin's name and version): written here
// once for the plugin that writes them and the checker that reads them back
// for players.

#include <string_view>

namespace varnel {

// "<name> <version> (Varnel.dll), built for Starfield <runtime>" then this.
inline constexpr std::string_view kLogLoaded = ", loaded by the script extender; game image base ";
inline constexpr std::string_view kLogListenerRefused = "The script extender refused the listener of plugin handle ";
inline constexpr std::string_view kLogNotOffered = ": SetRandomName will not be offered.";
inline constexpr std::string_view kLogInstalled = "SetRandomName installed in place of TogglePathLine: console command entry ";
inline constexpr std::string_view kLogNotInstalled = "SetRandomName not installed: no \"";
inline constexpr std::string_view kLogRenamed = "SetRandomName: ";
inline constexpr std::string_view kLogFailed = "SetRandomName failed: ";

}  // namespace varnel
