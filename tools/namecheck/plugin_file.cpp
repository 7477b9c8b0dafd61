#include "tools/namecheck/plugin_file.h"

#include "src/plugin/plugin_version.h"
#include "tools/namecheck/file_text.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace varnel {

namespace {

// PE offsets (Microsoft's PE format): the DOS header's pointer to the PE
// header; in it the machine, the section count and the optional header's
// size; in the PE32+ optional header the export table's entry.
constexpr std::size_t kPeHeaderPointerAt = 0x3C;
constexpr std::size_t kMachineAt = 4;
constexpr std::size_t kSectionCountAt = 6;
constexpr std::size_t kOptionalHeaderSizeAt = 20;
constexpr std::size_t kOptionalHeaderAt = 24;
constexpr std::size_t kExportEntryAt = kOptionalHeaderAt + 112;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
// The export directory's fields.
constexpr std::size_t kFunctionCountAt = 20;
constexpr std::size_t kNameCountAt = 24;
constexpr std::size_t kFunctionsAt = 28;
constexpr std::size_t kNamesAt = 32;
constexpr std::size_t kNameOrdinalsAt = 36;

// A file's bytes, read within bounds: every read outside gives nullopt.
struct FileBytes {
    std::string_view bytes;

    template <typename Number>
    std::optional<Number> At(std::size_t at) const
    {
        if (at > bytes.size() || bytes.size() - at < sizeof(Number))
            return std::nullopt;
        Number value{};
        std::memcpy(&value, bytes.data() + at, sizeof value);
        return value;
    }
};

// The file offset of a relative virtual address, through the section that
// holds it.
std::optional<std::size_t> FileOffsetOf(const FileBytes& file, std::size_t sections, std::uint16_t count,
                                        std::uint32_t rva)
{
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t header = sections + i * kSectionHeaderSize;
        const auto virtualSize = file.At<std::uint32_t>(header + 8);
        const auto address = file.At<std::uint32_t>(header + 12);
        const auto rawSize = file.At<std::uint32_t>(header + 16);
        const auto raw = file.At<std::uint32_t>(header + 20);
        if (!virtualSize || !address || !rawSize || !raw)
            return std::nullopt;
        if (rva >= *address && rva - *address < std::max(*virtualSize, *rawSize))
            return std::size_t{*raw} + (rva - *address);
    }
    return std::nullopt;
}

struct Image {
    FileBytes file;
    std::size_t sections = 0;
    std::uint16_t sectionCount = 0;

    std::optional<std::size_t> Offset(std::optional<std::uint32_t> rva) const
    {
        return rva ? FileOffsetOf(file, sections, sectionCount, *rva) : std::nullopt;
    }
    std::optional<std::uint32_t> Dword(std::optional<std::size_t> at) const
    {
        return at ? file.At<std::uint32_t>(*at) : std::nullopt;
    }
};

// The export `name`'s file offset, looked up as the host does: each name in
// turn, the function its name ordinal gives when in range.
std::optional<std::size_t> FindExportOffset(const Image& image, std::size_t directory, std::string_view name)
{
    const auto names = image.Offset(image.file.At<std::uint32_t>(directory + kNamesAt));
    const auto ordinals = image.Offset(image.file.At<std::uint32_t>(directory + kNameOrdinalsAt));
    const auto functions = image.Offset(image.file.At<std::uint32_t>(directory + kFunctionsAt));
    const auto nameCount = image.file.At<std::uint32_t>(directory + kNameCountAt);
    const auto functionCount = image.file.At<std::uint32_t>(directory + kFunctionCountAt);
    if (!names || !ordinals || !functions || !nameCount || !functionCount)
        return std::nullopt;
    for (std::uint32_t i = 0; i < *nameCount; ++i) {
        const auto text = image.Offset(image.Dword(*names + std::size_t{i} * 4));
        if (!text || image.file.bytes.substr(*text).substr(0, name.size() + 1) != std::string(name) + '\0')
            continue;
        const auto ordinal = image.file.At<std::uint16_t>(*ordinals + std::size_t{i} * 2);
        if (ordinal && *ordinal < *functionCount)
            return image.Offset(image.Dword(*functions + std::size_t{*ordinal} * 4));
    }
    return std::nullopt;
}

PluginFileState ReadRecord(std::string_view bytes, sfse::PluginVersionData& record)
{
    const FileBytes file{bytes};
    const auto peAt = file.At<std::uint32_t>(kPeHeaderPointerAt);
    if (bytes.substr(0, 2) != "MZ" || !peAt || bytes.substr(*peAt, 4) != std::string_view("PE\0\0", 4))
        return PluginFileState::NotADll;
    const auto machine = file.At<std::uint16_t>(*peAt + kMachineAt);
    const auto sectionCount = file.At<std::uint16_t>(*peAt + kSectionCountAt);
    const auto optionalSize = file.At<std::uint16_t>(*peAt + kOptionalHeaderSizeAt);
    if (!machine || !sectionCount || !optionalSize)
        return PluginFileState::NotADll;
    if (*machine != kMachineAmd64)
        return PluginFileState::Not64Bit;
    const Image image{file, *peAt + kOptionalHeaderAt + *optionalSize, *sectionCount};
    const auto exportRva = file.At<std::uint32_t>(*peAt + kExportEntryAt);
    if (!exportRva || *exportRva == 0)
        return PluginFileState::NoExports;
    const auto directory = image.Offset(exportRva);
    const auto found = directory ? FindExportOffset(image, *directory, sfse::kVersionExportName) : std::nullopt;
    if (!found || *found > bytes.size() || bytes.size() - *found < sizeof record)
        return PluginFileState::NoRecord;
    std::memcpy(&record, bytes.data() + *found, sizeof record);
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
