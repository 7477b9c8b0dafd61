#include "sim/host/host_loader.h"

#include "sim/host/host.h"
#include "sim/host/pe_image.h"
#include "sim/text.h"
#include "src/plugin/host_api.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

namespace sim {
namespace {

namespace fs = std::filesystem;

std::string Describe(const PluginState& plugin)
{
    return "plugin " + plugin.file + " (" + Hex8(plugin.dataVersion) + " " + plugin.name + " " +
           Hex8(plugin.pluginVersion) + ")";
}

void Fail(HostReport& report, PluginState& plugin, const std::string& reason, std::uint32_t code = 0)
{
    plugin.failure = reason;
    plugin.code = code;
    report.log.push_back(Describe(plugin) + " " + reason + " " + std::to_string(code) + " (handle " +
                         std::to_string(plugin.handle) + ")");
}

// The checks on the host's copy of the record; empty when it passes.
std::string CheckRecord(const sfse::PluginVersionData& record, const HostStartup& startup)
{
    if (record.recordVersion == 0)
        return "disabled, bad version data";
    if (record.name[0] == 0)
        return "disabled, no name specified";
    const bool independent =
        (record.addressIndependence & (sfse::kAddressIndependentBySignatures | sfse::kAddressIndependentByAddressLibrary)) != 0 &&
        (record.structureIndependence & (sfse::kStructureIndependentNoStructures | sfse::kStructureIndependentLayout11470)) != 0 &&
        record.breakingChanges == 0;
    if (!independent) {
        bool compatible = false;
        for (const std::uint32_t version : record.compatibleVersions) {
            if (version == 0)
                break;
            compatible = compatible || version == startup.runtime;
        }
        if (!compatible)
            return "disabled, incompatible with current version of the game";
    }
    if (record.minimumHostVersion > startup.hostVersion)
        return "disabled, requires newer script extender";
    return {};
}

// Maps the file as an image resource (none of its code runs), copies its
// version record and checks it.
void Scan(HostReport& report, PluginState& plugin, const fs::path& path, const HostStartup& startup)
{
    report.log.push_back("checking plugin " + plugin.file);
    HMODULE mapped = LoadLibraryExW(path.wstring().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (mapped == nullptr)
        return Fail(report, plugin, "couldn't load plugin", static_cast<std::uint32_t>(GetLastError()));
    const std::uint8_t* image = MappedImageBase(mapped);
    if (!Is64BitImage(image)) {
        FreeLibrary(mapped);
        return Fail(report, plugin, "32-bit plugins can never work");
    }
    const std::uint8_t* exported = FindExport(image, sfse::kVersionExportName);
    if (exported == nullptr) {
        FreeLibrary(mapped);
        return Fail(report, plugin, "no version data");
    }
    sfse::PluginVersionData record;
    std::memcpy(&record, exported, sizeof record);
    FreeLibrary(mapped);
    record.name[sfse::kPluginNameSize - 1] = 0;
    plugin.dataVersion = record.recordVersion;
    plugin.pluginVersion = record.pluginVersion;
    plugin.name = record.name;
    if (const std::string reason = CheckRecord(record, startup); !reason.empty())
        Fail(report, plugin, reason);
}

// SFSEPlugin_Load runs under a guard, as under the host's own structured
// exception handler: on a thread of its own, where a hardware fault resumes
// in EndFaultedThread, which ends that thread with the fault's code, and a
// C++ exception is caught.
using LoadFunction = bool (*)(const void* host);

struct LoadCall {
    LoadFunction load;
    bool result = false;
    bool returned = false;  // false: it faulted or threw
};

thread_local bool guarding = false;

[[noreturn]] void EndFaultedThread(DWORD code) { ExitThread(code); }

bool IsHardwareFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK GuardFaults(EXCEPTION_POINTERS* exception)
{
    if (!guarding || !IsHardwareFault(exception->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    guarding = false;
    CONTEXT* context = exception->ContextRecord;
    context->Rcx = exception->ExceptionRecord->ExceptionCode;  // EndFaultedThread's argument
    context->Rsp = (context->Rsp & ~DWORD64{15}) - 8;          // as right after a call
    context->Rip = reinterpret_cast<DWORD64>(&EndFaultedThread);
    return EXCEPTION_CONTINUE_EXECUTION;
}

DWORD WINAPI RunLoad(void* argument)
{
    auto* call = static_cast<LoadCall*>(argument);
    guarding = true;
    try {
        call->result = call->load(HostInterfaceRecord());
        call->returned = true;
    } catch (...) {
        // a C++ exception out of the plugin: returned stays false
    }
    guarding = false;
    return 0;
}

// Calls `load`; false, with the fault's code (0 for an exception), when it
// faulted or threw.
bool CallGuarded(LoadFunction load, bool& result, std::uint32_t& code)
{
    static PVOID const handler = AddVectoredExceptionHandler(1, &GuardFaults);
    static_cast<void>(handler);
    LoadCall call{load};
    HANDLE thread = CreateThread(nullptr, 0, &RunLoad, &call, 0, nullptr);
    if (thread == nullptr) {
        code = static_cast<std::uint32_t>(GetLastError());
        return false;
    }
    WaitForSingleObject(thread, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    result = call.result;
    code = call.returned ? 0 : static_cast<std::uint32_t>(exitCode);
    return call.returned;
}

// Drops what a plugin that failed its load call had registered.
void ForgetListenersOf(std::uint32_t handle)
{
    auto& listeners = Host().listeners;
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(),
                                   [&](const ListenerRegistration& r) { return r.plugin == handle; }),
                    listeners.end());
}

// Loads a plugin that passed its checks and calls its SFSEPlugin_Load, if it
// has one; false when the plugin failed and was freed. `listed` is the
// host's count of plugins at the time: those that passed the checks, less
// those that failed to load.
bool LoadChecked(HostReport& report, PluginState& plugin, const fs::path& path, std::uint32_t listed)
{
    report.log.push_back("loading plugin \"" + plugin.name + "\"");
    HMODULE module = LoadLibraryW(path.wstring().c_str());
    if (module == nullptr) {
        Fail(report, plugin, "couldn't load plugin", static_cast<std::uint32_t>(GetLastError()));
        return false;
    }
    plugin.module = module;
    const auto load = reinterpret_cast<LoadFunction>(reinterpret_cast<void*>(GetProcAddress(module, sfse::kLoadExportName)));
    if (load == nullptr)
        return true;  // nothing to call: it stays loaded
    bool result = false;
    std::uint32_t code = 0;
    Host().pluginHandle = plugin.handle;
    Host().pluginCount = listed + 1;
    if (!CallGuarded(load, result, code))
        Fail(report, plugin, "disabled, fatal error occurred while loading plugin", code);
    else if (!result)
        Fail(report, plugin, "reported as incompatible during load");
    else
        return true;
    ForgetListenersOf(plugin.handle);
    FreeLibrary(module);
    plugin.module = nullptr;
    return false;
}

// How the box names a plugin's version: " vA.B.C.D", or the plain number
// when its top byte is 0; nothing when it is 0.
std::string BoxVersionText(std::uint32_t version)
{
    if (version == 0)
        return {};
    return " v" + (version >> 24 != 0 ? VersionText(version) : std::to_string(version));
}

std::string MessageBoxText(const std::vector<PluginState>& plugins)
{
    std::string text;
    for (const auto& plugin : plugins) {
        if (plugin.failure.empty() || plugin.failure == "no version data")
            continue;
        text += plugin.file + BoxVersionText(plugin.pluginVersion) + ": " + plugin.failure;
        if (plugin.code != 0)
            text += " (" + Hex8(plugin.code) + ")";
        text += "\n";
    }
    return text.empty() ? text : "A plugin has failed to load correctly. Some plugins were disabled:\n\n" + text;
}

std::vector<fs::path> PluginFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::wstring extension = entry.path().extension().wstring();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::towlower);
        if (extension == L".dll")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

HostReport StartHost(const fs::path& folder, const HostStartup& startup)
{
    HostReport report;
    std::uint32_t listed = 0;  // the host's count of plugins
    const std::vector<fs::path> files = PluginFiles(folder);
    for (const auto& path : files) {
        PluginState& plugin = report.plugins.emplace_back();
        plugin.file = path.filename().string();
        Scan(report, plugin, path, startup);
        if (plugin.failure.empty())
            plugin.handle = ++listed;
    }
    // A plugin that fails its load leaves the count; the others keep the
    // handles the scan gave them.
    for (std::size_t i = 0; i < files.size(); ++i) {  // report.plugins follows files
        if (report.plugins[i].failure.empty() && !LoadChecked(report, report.plugins[i], files[i], listed))
            --listed;
    }
    for (const auto& plugin : report.plugins) {
        if (plugin.failure.empty())
            report.log.push_back(Describe(plugin) + " loaded correctly (handle " + std::to_string(plugin.handle) + ")");
    }
    if (std::string box = MessageBoxText(report.plugins); !box.empty())
        report.messageBox = std::move(box);
    SendHostMessage(sfse::kHostMessagePostLoad);
    SendHostMessage(sfse::kHostMessagePostPostLoad);
    return report;
}

void UnloadPlugins(HostReport& report)
{
    for (auto& plugin : report.plugins) {
        if (plugin.module == nullptr)
            continue;
        ForgetListenersOf(plugin.handle);
        FreeLibrary(static_cast<HMODULE>(plugin.module));
        plugin.module = nullptr;
    }
}

void SendDataLoadedMessages()
{
    SendHostMessage(sfse::kHostMessageDataLoaded);
    SendHostMessage(sfse::kHostMessagePostDataLoaded);
}

std::string RuntimeText()
{
    return std::to_string(kRuntimeMajor) + "." + std::to_string(kRuntimeMinor) + "." + std::to_string(kRuntimeBuild);
}

std::optional<std::uint32_t> ParseRuntime(const std::string& text)
{
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    int consumed = 0;
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789.") == std::string::npos;
    if (!digitsOnly || std::sscanf(text.c_str(), "%3u.%3u.%4u%n", &major, &minor, &build, &consumed) != 3 ||
        static_cast<std::size_t>(consumed) != text.size() || major > 255 || minor > 255 || build > 4095)
        return std::nullopt;
    return major << 24 | minor << 16 | build << 4;
}

}  // namespace sim
