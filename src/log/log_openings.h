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
inline constexpr std::string_view kLogFatal = "The game's module handle could not be had; the game ends after this box: ";
inline constexpr std::string_view kLogRenamed = "SetRandomName: ";
inline constexpr std::string_view kLogFailed = "SetRandomName failed: ";

// A failed command's facts follow its console line, each after this.
inline constexpr std::string_view kLogFactSeparator = "; ";
// The list's fact: this, its full path and, when it gave no NameCount, why.
inline constexpr std::string_view kLogListFact = "list ";
inline constexpr std::string_view kLogListMissing = " (missing)";
inline constexpr std::string_view kLogListUnopenable = " (cannot be opened)";
inline constexpr std::string_view kLogListEmpty = " (empty)";
inline constexpr std::string_view kLogListStates[] = {kLogListMissing, kLogListUnopenable, kLogListEmpty};

// Said of a load that failed on an exception of its own.
inline constexpr std::string_view kLogLoadException = "SFSEPlugin_Load failed on an unexpected exception";

}  // namespace varnel
