#pragma once

// What the script extender's start-up tells: a line in its log for each
// plugin, and its boxes. The texts are the host's own.

#include "sim/host/host_release.h"
#include "src/plugin/host_api.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sim {

enum class BoxAnswer { No, Yes };

struct HostStartup {
    std::uint32_t runtime = kGameRuntime;
    std::uint32_t hostVersion = kHostVersion;
    BoxAnswer answer = BoxAnswer::No;  // to each box the host shows
};

struct PluginState {
    std::string file;           // file name, without folder
    std::filesystem::path path;
    std::uint32_t dataVersion = 0;
    std::string name;
    std::uint32_t pluginVersion = 0;
    std::uint32_t handle = 0;   // 1, 2, ... for those that passed the checks
    bool hasPreload = false;    // exports SFSEPlugin_Preload
    bool hasLoad = false;       // exports SFSEPlugin_Load
    std::string failure;        // empty when loaded correctly
    std::uint32_t code = 0;     // Windows' error number for "couldn't load plugin"; else 0
    void* module = nullptr;     // the loaded DLL; null unless loaded (never for a plugin with neither entry point)
};

struct HostBox {
    std::string title;
    std::string text;
};

struct HostReport {
    std::vector<PluginState> plugins;     // in scan order
    std::vector<std::size_t> failed;      // plugins listed in the box, in the order they failed
    std::optional<bool> addressLibraryFound;  // looked for once, by the first record that needs it
    std::vector<HostBox> boxes;           // in the order shown
    std::size_t boxesAfterLine = 0;       // the boxes came when the log had this many lines
    bool gameEnded = false;               // a box was answered Yes, or a plugin ended the game's process
    void* strandedMapping = nullptr;      // the file the scan had mapped when it faulted; the host never frees it
};

// Notes `plugin`'s failure in the log (with the plugin handle of the
// moment) and, unless `listed` is false, for the box.
void ReportFailure(HostReport& report, std::size_t plugin, const std::string& reason, std::uint32_t code,
                   std::uint32_t currentHandle, bool listed = true);

// "plugin F (...) loaded correctly (handle N)".
void ReportLoaded(const PluginState& plugin);

// After the load phase: the address-library box, when a plugin needed the
// missing library, then the box of failed plugins; either ends the game when
// answered Yes. Nothing when no plugin failed.
void ShowBoxes(HostReport& report, const HostStartup& startup);

}  // namespace sim
