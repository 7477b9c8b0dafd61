#include "tools/namecheck/plugin_file.h"

#include "src/plugin/plugin_version.h"
#include "tools/namecheck/file_text.h"
#include "tools/namecheck/pe_reader.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace varnel {

namespace {

PluginFileState ReadRecord(std::string_view bytes, sfse::PluginVersionData& record)
{
    const std::optional<PeImage> image = ReadPeImage(bytes);
    if (!image)
        return PluginFileState::NotADll;
    if (image->machine != kMachineAmd64)
        return PluginFileState::Not64Bit;
    if (!HasExportTable(*image))
        return PluginFileState::NoExports;
    const auto found = ExportedData(*image, sfse::kVersionExportName);
    if (!found || found->size() < sizeof record)
        return PluginFileState::NoRecord;
    std::memcpy(&record, found->data(), sizeof record);
    record.name[sizeof record.name - 1] = 0;
    record.author[sizeof record.author - 1] = 0;
    return PluginFileState::Read;
}

}  // namespace

PluginFile ReadPluginFile(const std::filesystem::path& path)
{
    PluginFile plugin;
    plugin.path = path;
    const WholeFile file = ReadWholeFile(path);
    if (!file.present)
        return plugin;
    plugin.times = file.times;
    plugin.state = file.bytes ? ReadRecord(*file.bytes, plugin.record) : PluginFileState::Unreadable;
    return plugin;
}

bool IsThisPlugin(const sfse::PluginVersionData& record)
{
    return std::string_view(record.name) == VARNEL_PLUGIN_NAME;
}

std::vector<std::uint32_t> ListedRuntimes(const sfse::PluginVersionData& record)
{
    std::vector<std::uint32_t> runtimes;
    for (const std::uint32_t runtime : record.compatibleVersions) {
        if (runtime == 0)
            break;
        runtimes.push_back(runtime);
    }
    return runtimes;
}

}  // namespace varnel
