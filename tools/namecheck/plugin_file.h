#pragma once

// A plugin DLL's version record, read from its file as the script extender
// reads it before running any of its code: the x64 test, then the export
// SFSEPlugin_Version by name. Nothing is loaded or run.

#include "tools/namecheck/file_times.h"
#include "src/plugin/host_api.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace varnel {

enum class PluginFileState {
    Missing,
    Unreadable,   // there, but it cannot be opened or read
    NotADll,      // no PE image: Windows cannot load it ("couldn't load plugin")
    Not64Bit,     // "32-bit plugins can never work"
    NoExports,    // no export table: the host's lookup faults and its scan stops here
    NoRecord,     // exports, but not SFSEPlugin_Version: "no version data"
    Read,
};

struct PluginFile {
    std::filesystem::path path;
    PluginFileState state = PluginFileState::Missing;
    sfse::PluginVersionData record{};        // when Read; the name and author zero-ended
    FileTimes times;
};

PluginFile ReadPluginFile(const std::filesystem::path& path);

// The record's name is this plugin's.
bool IsThisPlugin(const sfse::PluginVersionData& record);

// The game runtimes the record lists, in order.
std::vector<std::uint32_t> ListedRuntimes(const sfse::PluginVersionData& record);

}  // namespace varnel
