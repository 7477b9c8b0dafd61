#include "sim/host/host_loader.h"

#include "sim/game/game_image.h"
#include "sim/host/guarded_call.h"
#include "sim/host/host.h"
#include "sim/host/pe_image.h"
#include "sim/host/plugin_scan.h"
#include "src/plugin/host_api.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace sim {
namespace {

namespace fs = std::filesystem;

enum class Phase { Preload, Load };

using EntryPoint = bool (*)(const void* host);

// The host's list: the plugins that passed the scan and have not failed
// since, in scan order (indexes into report.plugins).
using PluginList = std::vector<std::size_t>;

// What the host's list tells: the count of plugins (the listed ones, one
// more while one loads: PluginManager::numPlugins) and the names a listener
// may give as sender.
void SetHostList(const HostReport& report, const PluginList& listed, bool oneLoading)
{
    Host().pluginCount = static_cast<std::uint32_t>(listed.size() + (oneLoading ? 1 : 0));
    Host().listedNames.clear();
    for (const std::size_t index : listed)
        Host().listedNames.push_back(report.plugins[index].name);
}

// The freed plugin's code is gone; the host keeps whatever it registered.
void Unload(PluginState& plugin)
{
    const auto* image = static_cast<const std::uint8_t*>(plugin.module);
    const auto begin = reinterpret_cast<std::uintptr_t>(image);
    Host().unloaded.push_back({plugin.file, begin, begin + ImageSize(image)});
    FreeLibrary(static_cast<HMODULE>(plugin.module));
    plugin.module = nullptr;
}

// Loads the plugin if it is not yet, and calls its entry point of `phase`
// under the guard; the reason it failed, or empty.
std::string CallEntryPoint(PluginState& plugin, Phase phase, std::uint32_t& code)
{
    if (plugin.module == nullptr) {
        plugin.module = LoadLibraryW(plugin.path.wstring().c_str());
        if (plugin.module == nullptr) {
            code = static_cast<std::uint32_t>(GetLastError());
            return "couldn't load plugin";
        }
        // The simulation's own: a plugin ending the game ends the simulated start instead.
        ReplaceImport(plugin.module, "KERNEL32.dll", "TerminateProcess", reinterpret_cast<void*>(&PluginEndsProcess));
    }
    const char* name = phase == Phase::Preload ? sfse::kPreloadExportName : sfse::kLoadExportName;
    const auto entry = reinterpret_cast<EntryPoint>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(plugin.module), name)));
    bool result = false;
    Host().callingPlugin = true;
    const bool completed = RunGuarded([&] { result = entry(HostInterfaceRecord()); }).completed;
    Host().callingPlugin = false;
    if (Host().gone)
        return {};
    if (!completed)
        return "disabled, fatal error occurred while loading plugin";
    if (!result)
        return "reported as incompatible during load";
    return {};
}

// One pass over the host's list; a plugin that fails is freed and leaves
// the list (and with it the count later plugins see).
void RunPhase(HostReport& report, PluginList& listed, Phase phase)
{
    for (std::size_t i = 0; i < listed.size();) {
        PluginState& plugin = report.plugins[listed[i]];
        if (!(phase == Phase::Preload ? plugin.hasPreload : plugin.hasLoad)) {
            ++i;
            continue;
        }
        HostLog(std::string(phase == Phase::Preload ? "pre" : "") + "loading plugin \"" + plugin.name + "\"");
        Host().pluginHandle = plugin.handle;
        SetHostList(report, listed, true);
        std::uint32_t code = 0;
        const std::string failure = CallEntryPoint(plugin, phase, code);
        if (Host().gone)
            return;
        if (failure.empty()) {
            ++i;
            continue;
        }
        ReportFailure(report, listed[i], failure, code, plugin.handle);
        if (plugin.module != nullptr)
            Unload(plugin);
        listed.erase(listed.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

}  // namespace

std::string OsText()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExA(&info) == 0)
        return "unknown";
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + " (" +
           std::to_string(info.dwBuildNumber) + ")";
}

namespace {

// The host's first lines: its version, the game's, the time (UTC) and the
// system, then its own image base and the game's.
void LogStart(const HostStartup& startup)
{
    SYSTEMTIME now{};
    GetSystemTime(&now);
    char text[160];
    std::snprintf(text, sizeof text,
                  "SFSE runtime: initialize (version = %s %08X %04d-%02d-%02d %02d:%02d:%02d, os = %s)",
                  sfse::VersionText(startup.hostVersion).c_str(), static_cast<unsigned>(startup.runtime), now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, OsText().c_str());
    HostLog(text);
    // The first is the host DLL's own module (sfse.cpp's g_moduleHandle), the
    // second the game's. The simulated host lives in the game's module; its
    // DLL's base is the one that DLL's header asks for.
    std::snprintf(text, sizeof text, "imagebase = %016llX", static_cast<unsigned long long>(kHostDllBase));
    HostLog(text);
    std::snprintf(text, sizeof text, "reloc mgr imagebase = %016llX", static_cast<unsigned long long>(ImageBase()));
    HostLog(text);
}

// What GetPluginInfo answers from now on: the plugins that loaded.
void MakePluginInfos(const HostReport& report, const PluginList& listed)
{
    for (const std::size_t index : listed)
        Host().infoNames.push_back(report.plugins[index].name);
    for (std::size_t i = 0; i < listed.size(); ++i)
        Host().infos.push_back({sfse::kPluginInfoVersion, Host().infoNames[i].c_str(), report.plugins[listed[i]].pluginVersion});
}

}  // namespace

HostReport StartHost(const fs::path& folder, const HostStartup& startup)
{
    HostReport report;
    Host().hostVersion = startup.hostVersion;
    Host().runtimeVersion = startup.runtime;
    Host().callingPlugin = false;
    OpenHostLogFile();
    LogStart(startup);
    ScanPlugins(report, folder, startup);
    PluginList listed;
    for (std::size_t i = 0; i < report.plugins.size(); ++i) {
        if (report.plugins[i].failure.empty())
            listed.push_back(i);
    }
    RunPhase(report, listed, Phase::Preload);
    if (!Host().gone) {
        HostLog("preinit complete");
        RunPhase(report, listed, Phase::Load);
    }
    report.gameEnded = Host().gone;
    if (report.gameEnded)
        return report;
    SetHostList(report, listed, false);
    for (const std::size_t index : listed)
        ReportLoaded(report.plugins[index]);
    ShowBoxes(report, startup);
    if (report.gameEnded)
        return report;
    MakePluginInfos(report, listed);
    SendHostMessage(sfse::kHostMessagePostLoad);
    SendHostMessage(sfse::kHostMessagePostPostLoad);
    if (!Host().gone) {
        HostLog("init complete");
        FlushHostLogFile();
    }
    return report;
}

void UnloadPlugins(HostReport& report)
{
    if (report.strandedMapping != nullptr)
        FreeLibrary(static_cast<HMODULE>(report.strandedMapping));
    report.strandedMapping = nullptr;
    for (auto& plugin : report.plugins) {
        if (plugin.module == nullptr)
            continue;
        ForgetCodeIn(plugin.module);
        FreeLibrary(static_cast<HMODULE>(plugin.module));
        plugin.module = nullptr;
    }
}

void SendDataLoadedMessages()
{
    SendHostMessage(sfse::kHostMessageDataLoaded);
    SendHostMessage(sfse::kHostMessagePostDataLoaded);
}

}  // namespace sim
