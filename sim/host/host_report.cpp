#include "sim/host/host_report.h"

#include "sim/host/host.h"
#include "sim/text.h"

namespace sim {
namespace {

std::string Describe(const PluginState& plugin)
{
    return "plugin " + plugin.file + " (" + Hex8(plugin.dataVersion) + " " + plugin.name + " " +
           Hex8(plugin.pluginVersion) + ")";
}

// How the box names a plugin's version: " vA.B.C.D", or the plain number
// when its top byte is 0; nothing when it is 0.
std::string BoxVersionText(std::uint32_t version)
{
    if (version == 0)
        return {};
    return " v" + (sfse::VersionMajor(version) != 0 ? sfse::VersionText(version, true) : std::to_string(version));
}

std::string FailureBoxText(const HostReport& report)
{
    std::string text = "Mods you have installed have failed to load correctly. Check for updates to the mods listed below.\n";
    for (const std::size_t index : report.failed) {
        const PluginState& plugin = report.plugins[index];
        text += "\n" + plugin.file + BoxVersionText(plugin.pluginVersion) + ": " + plugin.failure;
        if (plugin.code != 0)
            text += " (" + Hex8(plugin.code) + ")";
    }
    return text + "\n\nContinuing to load may result in lost save data or other undesired behavior."
                  "\nExit game? (yes highly suggested)";
}

// Shows a Yes/No box; Yes ends the game.
void Show(HostReport& report, HostBox box, BoxAnswer answer)
{
    report.boxes.push_back(std::move(box));
    report.gameEnded = answer == BoxAnswer::Yes;
}

}  // namespace

void ReportFailure(HostReport& report, std::size_t plugin, const std::string& reason, std::uint32_t code,
                   std::uint32_t currentHandle, bool listed)
{
    PluginState& state = report.plugins[plugin];
    state.failure = reason;
    state.code = code;
    if (listed)
        report.failed.push_back(plugin);
    // The host writes the code as a signed number.
    HostLog(Describe(state) + " " + reason + " " + std::to_string(static_cast<std::int32_t>(code)) +
                         " (handle " + std::to_string(currentHandle) + ")");
}

void ReportLoaded(const PluginState& plugin)
{
    HostLog(Describe(plugin) + " loaded correctly (handle " + std::to_string(plugin.handle) + ")");
}

void ShowBoxes(HostReport& report, const HostStartup& startup)
{
    report.boxesAfterLine = Host().log.size();
    if (report.failed.empty())
        return;
    if (report.addressLibraryFound == false) {
        Show(report,
             {"SFSE Plugin Loader",
              "DLL plugins you have installed require a new version of the Address Library. Either this is a new "
              "install, or Starfield was just updated. Visit the Address Library webpage for updates?"},
             startup.answer);
        // Yes there ends the game without writing sfse.txt out.
        if (report.gameEnded)
            return;
    }
    Show(report, {"SFSE Plugin Loader (" + sfse::VersionText(startup.hostVersion) + ")", FailureBoxText(report)},
         startup.answer);
    // Yes here writes sfse.txt out before ending the game.
    if (report.gameEnded)
        FlushHostLogFile();
}

}  // namespace sim
