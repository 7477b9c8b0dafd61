#include "sim/host/plugin_scan.h"

#include "sim/host/guarded_call.h"
#include "sim/host/host.h"
#include "sim/host/pe_image.h"
#include "sim/host/plugin_checks.h"
#include "src/plugin/host_api.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

namespace fs = std::filesystem;

// The host's export lookup on a mapped file, read for read. It takes the
// export directory's address without testing it, so on a DLL with no
// export table it reads the DOS header as one (and faults, as the host
// does); it compares each name in turn and takes the function its name
// ordinal gives, passing over an ordinal beyond the functions.
const std::uint8_t* HostExportLookup(const std::uint8_t* image, const char* name)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image + dos->e_lfanew);
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
        image + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    const auto* functions = reinterpret_cast<const std::uint32_t*>(image + exports->AddressOfFunctions);
    const auto* nameOrdinals = reinterpret_cast<const std::uint16_t*>(image + exports->AddressOfNameOrdinals);
    const auto* names = reinterpret_cast<const std::uint32_t*>(image + exports->AddressOfNames);
    for (std::uint32_t i = 0; i < exports->NumberOfNames; ++i) {
        if (std::strcmp(name, reinterpret_cast<const char*>(image + names[i])) != 0)
            continue;
        const std::uint32_t function = nameOrdinals[i];
        if (function < exports->NumberOfFunctions)
            return image + functions[function];
    }
    return nullptr;
}

// Why the host refuses the mapped file, after copying what it read into
// `plugin`; empty when it passes. `listed` is false for the one refusal the
// box leaves out.
std::string CheckMapped(const std::uint8_t* image, PluginState& plugin, const HostStartup& startup,
                        HostReport& report, bool& listed)
{
    if (!IsAmd64Image(image))
        return "32-bit plugins can never work";
    const std::uint8_t* exported = HostExportLookup(image, sfse::kVersionExportName);
    if (exported == nullptr) {
        listed = false;
        return "no version data";
    }
    sfse::PluginVersionData record;
    std::memcpy(&record, exported, sizeof record);
    record.name[sfse::kPluginNameSize - 1] = 0;
    plugin.dataVersion = record.recordVersion;
    plugin.pluginVersion = record.pluginVersion;
    plugin.name = record.name;
    std::string refusal = CheckRecord(record, startup, report);
    if (!refusal.empty())
        return refusal;
    plugin.hasLoad = HostExportLookup(image, sfse::kLoadExportName) != nullptr;
    plugin.hasPreload = HostExportLookup(image, sfse::kPreloadExportName) != nullptr;
    return {};
}

void ScanFile(HostReport& report, const fs::path& path, const HostStartup& startup, std::uint32_t& nextHandle)
{
    PluginState plugin;
    plugin.file = path.filename().string();
    plugin.path = path;
    HostLog("checking plugin " + plugin.file);
    std::string reason;
    std::uint32_t code = 0;
    bool listed = true;
    HMODULE mapped = LoadLibraryExW(path.wstring().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (mapped == nullptr) {
        reason = "couldn't load plugin";
        code = static_cast<std::uint32_t>(GetLastError());
    } else {
        report.strandedMapping = mapped;
        reason = CheckMapped(MappedImageBase(mapped), plugin, startup, report, listed);
        report.strandedMapping = nullptr;
        FreeLibrary(mapped);
    }
    if (reason.empty())
        plugin.handle = nextHandle++;
    report.plugins.push_back(std::move(plugin));
    if (!reason.empty())
        ReportFailure(report, report.plugins.size() - 1, reason, code, 0, listed);
}

}  // namespace

std::vector<fs::path> PluginFilesInFolderOrder(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::wstring extension = entry.path().extension().wstring();
        if (CompareStringOrdinal(extension.c_str(), -1, L".dll", -1, TRUE) == CSTR_EQUAL)
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        const std::wstring left = a.filename().wstring();
        const std::wstring right = b.filename().wstring();
        return CompareStringOrdinal(left.c_str(), -1, right.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    return files;
}

void ScanPlugins(HostReport& report, const fs::path& folder, const HostStartup& startup)
{
    const std::string directory = (fs::absolute(folder) / "").string();
    HostLog("plugin directory = " + directory);
    HostLog("scanning plugin directory " + directory);
    const std::vector<fs::path> files = PluginFilesInFolderOrder(folder);
    std::uint32_t nextHandle = 1;  // 0 is the host's own
    const GuardedResult scan = RunGuarded([&] {
        for (const auto& path : files)
            ScanFile(report, path, startup, nextHandle);
    });
    if (!scan.completed)
        HostLog("exception occurred while loading plugins");
}

}  // namespace sim
