#include "tools/namecheck/pe_reader.h"

#include "tools/namecheck/file_text.h"

#include <algorithm>
#include <cstring>

namespace varnel {

namespace {

// Offsets of Microsoft's PE format. The DOS header's pointer to the PE
// header; in it, after "PE\0\0", the file header's machine, section count
// and optional header size; the optional header's magic and, at its end,
// the data directories (export, import, resource first).
constexpr std::size_t kPeHeaderPointerAt = 0x3C;
constexpr std::size_t kMachineAt = 4;
constexpr std::size_t kSectionCountAt = 6;
constexpr std::size_t kOptionalHeaderSizeAt = 20;
constexpr std::size_t kOptionalHeaderAt = 24;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kDirectoriesAtPe32Plus = 112;
constexpr std::size_t kDirectoriesAtPe32 = 96;
constexpr std::size_t kExportDirectory = 0;
constexpr std::size_t kImportDirectory = 1;
constexpr std::size_t kResourceDirectory = 2;
// A section header: its name, then virtual size, address, raw size, raw offset.
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSectionNameSize = 8;
// The export directory's fields.
constexpr std::size_t kFunctionCountAt = 20;
constexpr std::size_t kNameCountAt = 24;
constexpr std::size_t kFunctionsAt = 28;
constexpr std::size_t kNamesAt = 32;
constexpr std::size_t kNameOrdinalsAt = 36;
// An import descriptor: its DLL's name at 12; a zeroed one ends the list.
constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::size_t kImportNameAt = 12;
// A resource directory: named and numbered entry counts at 12 and 14, its
// 8-byte entries from 16 (id, then an offset whose top bit marks a
// subdirectory); a data entry's RVA and size.
constexpr std::size_t kResourceEntriesAt = 16;
constexpr std::uint32_t kResourceSubdirectory = 0x80000000;
constexpr std::uint32_t kResourceTypeVersion = 16;
// A version block: its length, value length and type, then its UTF-16 key;
// value and children each 4-byte aligned. VS_FIXEDFILEINFO's versions at 8.
constexpr std::size_t kBlockKeyAt = 6;
constexpr std::size_t kFixedFileVersionAt = 8;
constexpr std::size_t kFixedProductVersionAt = 16;
constexpr std::size_t kFixedInfoSize = 52;
constexpr std::size_t kUnboundedSearch = 1U << 20;  // a version resource's strings are far shorter

template <typename Number>
std::optional<Number> At(std::string_view bytes, std::size_t at)
{
    if (at > bytes.size() || bytes.size() - at < sizeof(Number))
        return std::nullopt;
    Number value{};
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// The file offset of a relative virtual address, through the section that holds it.
std::optional<std::size_t> FileOffsetOf(const PeImage& image, std::optional<std::uint32_t> rva)
{
    if (!rva)
        return std::nullopt;
    for (std::uint16_t i = 0; i < image.sectionCount; ++i) {
        const std::size_t header = image.sections + i * kSectionHeaderSize;
        const auto virtualSize = At<std::uint32_t>(image.bytes, header + 8);
        const auto address = At<std::uint32_t>(image.bytes, header + 12);
        const auto rawSize = At<std::uint32_t>(image.bytes, header + 16);
        const auto raw = At<std::uint32_t>(image.bytes, header + 20);
        if (!virtualSize || !address || !rawSize || !raw)
            return std::nullopt;
        if (*rva >= *address && *rva - *address < std::max(*virtualSize, *rawSize))
            return std::size_t{*raw} + (*rva - *address);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> DirectoryRva(const PeImage& image, std::size_t index)
{
    const auto magic = At<std::uint16_t>(image.bytes, image.optionalHeader);
    if (!magic)
        return std::nullopt;
    const std::size_t directories = image.optionalHeader + (*magic == kMagicPe32Plus ? kDirectoriesAtPe32Plus : kDirectoriesAtPe32);
    const auto rva = At<std::uint32_t>(image.bytes, directories + index * 8);
    return rva && *rva != 0 ? rva : std::nullopt;
}

// The zero-ended text at `at`, within the file.
std::string TextAt(std::string_view bytes, std::optional<std::size_t> at)
{
    if (!at || *at >= bytes.size())
        return {};
    const std::string_view rest = bytes.substr(*at, kUnboundedSearch);
    return std::string(rest.substr(0, rest.find('\0')));
}

// UTF-16 text of `units` code units (or to its NUL) at `at`, as UTF-8.
std::string Utf16At(std::string_view bytes, std::size_t at, std::size_t units)
{
    std::size_t length = 0;
    while (length < units && At<std::uint16_t>(bytes, at + 2 * length).value_or(0) != 0)
        ++length;
    return length == 0 ? std::string() : Utf16AsUtf8(bytes.substr(at, 2 * length), true);
}

std::size_t Aligned(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

// One block of a version resource, within its parent's end.
struct VersionBlock {
    std::size_t at = 0;
    std::size_t end = 0;
    std::string key;
    std::size_t value = 0;       // the value's file offset
    std::size_t valueLength = 0; // in bytes for binary values, in UTF-16 units for text
    std::size_t children = 0;    // the first child's file offset
};

std::optional<VersionBlock> BlockAt(std::string_view bytes, std::size_t at, std::size_t parentEnd)
{
    const auto length = At<std::uint16_t>(bytes, at);
    const auto valueLength = At<std::uint16_t>(bytes, at + 2);
    const auto type = At<std::uint16_t>(bytes, at + 4);
    if (!length || !valueLength || !type || *length < kBlockKeyAt || at + *length > parentEnd)
        return std::nullopt;
    VersionBlock block{at, at + *length, Utf16At(bytes, at + kBlockKeyAt, (*length - kBlockKeyAt) / 2)};
    block.value = Aligned(at + kBlockKeyAt + 2 * (block.key.size() + 1));
    block.valueLength = *valueLength;
    const std::size_t valueBytes = *type == 1 ? 2 * block.valueLength : block.valueLength;
    block.children = Aligned(block.value + valueBytes);
    return block;
}

std::vector<VersionBlock> ChildrenOf(std::string_view bytes, const VersionBlock& parent)
{
    std::vector<VersionBlock> children;
    for (std::size_t at = parent.children; at < parent.end;) {
        const auto child = BlockAt(bytes, at, parent.end);
        if (!child || child->end <= at)
            break;
        children.push_back(*child);
        at = Aligned(child->end);
    }
    return children;
}

std::optional<VersionBlock> ChildNamed(std::string_view bytes, const VersionBlock& parent, std::string_view key)
{
    for (const VersionBlock& child : ChildrenOf(bytes, parent)) {
        if (SameNameIgnoringCase(child.key, key))
            return child;
    }
    return std::nullopt;
}

// The first entry's offset of a resource directory, or of its entry with `id`.
std::optional<std::uint32_t> ResourceEntry(std::string_view bytes, std::size_t directory, std::optional<std::uint32_t> id)
{
    const auto named = At<std::uint16_t>(bytes, directory + 12);
    const auto numbered = At<std::uint16_t>(bytes, directory + 14);
    if (!named || !numbered)
        return std::nullopt;
    for (std::size_t i = 0; i < std::size_t{*named} + *numbered; ++i) {
        const auto entryId = At<std::uint32_t>(bytes, directory + kResourceEntriesAt + 8 * i);
        const auto offset = At<std::uint32_t>(bytes, directory + kResourceEntriesAt + 8 * i + 4);
        if (!entryId || !offset)
            return std::nullopt;
        if (!id || (i >= *named && *entryId == *id))
            return offset;
    }
    return std::nullopt;
}

// The version resource's bytes' file offset and size: type 16, its first name, its first language.
std::optional<std::pair<std::size_t, std::size_t>> VersionResourceData(const PeImage& image)
{
    const auto root = FileOffsetOf(image, DirectoryRva(image, kResourceDirectory));
    if (!root)
        return std::nullopt;
    std::optional<std::uint32_t> entry = ResourceEntry(image.bytes, *root, kResourceTypeVersion);
    for (int level = 0; level < 2 && entry && (*entry & kResourceSubdirectory) != 0; ++level)
        entry = ResourceEntry(image.bytes, *root + (*entry & ~kResourceSubdirectory), std::nullopt);
    if (!entry || (*entry & kResourceSubdirectory) != 0)
        return std::nullopt;
    const auto data = FileOffsetOf(image, At<std::uint32_t>(image.bytes, *root + *entry));
    const auto size = At<std::uint32_t>(image.bytes, *root + *entry + 4);
    if (!data || !size || *data > image.bytes.size() || image.bytes.size() - *data < *size)
        return std::nullopt;
    return std::make_pair(*data, std::size_t{*size});
}

std::optional<std::uint64_t> FixedVersionAt(std::string_view bytes, std::size_t at)
{
    const auto high = At<std::uint32_t>(bytes, at);
    const auto low = At<std::uint32_t>(bytes, at + 4);
    if (!high || !low)
        return std::nullopt;
    return std::uint64_t{*high} << 32 | *low;
}

}  // namespace

std::optional<PeImage> ReadPeImage(std::string_view bytes)
{
    const auto peAt = At<std::uint32_t>(bytes, kPeHeaderPointerAt);
    if (bytes.substr(0, 2) != "MZ" || !peAt || *peAt > bytes.size() || bytes.substr(*peAt, 4) != std::string_view("PE\0\0", 4))
        return std::nullopt;
    const auto machine = At<std::uint16_t>(bytes, *peAt + kMachineAt);
    const auto sectionCount = At<std::uint16_t>(bytes, *peAt + kSectionCountAt);
    const auto optionalSize = At<std::uint16_t>(bytes, *peAt + kOptionalHeaderSizeAt);
    if (!machine || !sectionCount || !optionalSize)
        return std::nullopt;
    const std::size_t optional = *peAt + kOptionalHeaderAt;
    return PeImage{bytes, *peAt, *machine, optional + *optionalSize, *sectionCount, optional};
}

bool HasExportTable(const PeImage& image) { return DirectoryRva(image, kExportDirectory).has_value(); }

std::optional<std::string_view> ExportedData(const PeImage& image, std::string_view name)
{
    const auto directory = FileOffsetOf(image, DirectoryRva(image, kExportDirectory));
    if (!directory)
        return std::nullopt;
    const std::string_view bytes = image.bytes;
    const auto names = FileOffsetOf(image, At<std::uint32_t>(bytes, *directory + kNamesAt));
    const auto ordinals = FileOffsetOf(image, At<std::uint32_t>(bytes, *directory + kNameOrdinalsAt));
    const auto functions = FileOffsetOf(image, At<std::uint32_t>(bytes, *directory + kFunctionsAt));
    const auto nameCount = At<std::uint32_t>(bytes, *directory + kNameCountAt);
    const auto functionCount = At<std::uint32_t>(bytes, *directory + kFunctionCountAt);
    if (!names || !ordinals || !functions || !nameCount || !functionCount)
        return std::nullopt;
    for (std::uint32_t i = 0; i < *nameCount; ++i) {
        // A count beyond the file's end stops where its names do.
        const auto nameRva = At<std::uint32_t>(bytes, *names + std::size_t{i} * 4);
        if (!nameRva)
            break;
        const auto text = FileOffsetOf(image, nameRva);
        if (!text || *text >= bytes.size() || bytes.substr(*text).substr(0, name.size() + 1) != std::string(name) + '\0')
            continue;
        const auto ordinal = At<std::uint16_t>(bytes, *ordinals + std::size_t{i} * 2);
        if (!ordinal || *ordinal >= *functionCount)
            continue;
        const auto data = FileOffsetOf(image, At<std::uint32_t>(bytes, *functions + std::size_t{*ordinal} * 4));
        if (data && *data <= bytes.size())
            return bytes.substr(*data);
    }
    return std::nullopt;
}

std::vector<std::string> SectionNames(const PeImage& image)
{
    std::vector<std::string> names;
    for (std::uint16_t i = 0; i < image.sectionCount; ++i) {
        const std::size_t header = image.sections + i * kSectionHeaderSize;
        if (header > image.bytes.size() || image.bytes.size() - header < kSectionHeaderSize)
            break;
        const std::string_view name = image.bytes.substr(header, kSectionNameSize);
        names.emplace_back(name.substr(0, name.find('\0')));
    }
    return names;
}

std::vector<std::string> ImportedDlls(const PeImage& image)
{
    std::vector<std::string> dlls;
    const auto directory = FileOffsetOf(image, DirectoryRva(image, kImportDirectory));
    for (std::size_t at = directory.value_or(image.bytes.size()); at < image.bytes.size(); at += kImportDescriptorSize) {
        const auto nameRva = At<std::uint32_t>(image.bytes, at + kImportNameAt);
        if (!nameRva || *nameRva == 0)
            break;
        dlls.push_back(TextAt(image.bytes, FileOffsetOf(image, nameRva)));
    }
    return dlls;
}

std::optional<PeVersion> ReadPeVersion(const PeImage& image)
{
    const auto data = VersionResourceData(image);
    if (!data)
        return std::nullopt;
    const std::string_view bytes = image.bytes;
    const auto root = BlockAt(bytes, data->first, data->first + data->second);
    if (!root || root->key != "VS_VERSION_INFO" || root->valueLength < kFixedInfoSize)
        return std::nullopt;
    const auto fileVersion = FixedVersionAt(bytes, root->value + kFixedFileVersionAt);
    const auto productVersion = FixedVersionAt(bytes, root->value + kFixedProductVersionAt);
    if (!fileVersion || !productVersion)
        return std::nullopt;
    PeVersion version{*fileVersion, *productVersion, {}, {}};
    const auto strings = ChildNamed(bytes, *root, "StringFileInfo");
    const auto table = strings ? ChildNamed(bytes, *strings, "040904b0") : std::nullopt;
    if (!table)
        return version;
    for (const VersionBlock& string : ChildrenOf(bytes, *table)) {
        const std::string value = Utf16At(bytes, string.value, string.valueLength);
        if (string.key == "ProductVersion")
            version.productVersionText = value;
        else if (string.key == "ProductName")
            version.productName = value;
    }
    return version;
}

std::string FourPartText(std::uint64_t version)
{
    std::string text;
    for (int shift = 48; shift >= 0; shift -= 16)
        text += std::to_string(version >> shift & 0xFFFF) + (shift > 0 ? "." : "");
    return text;
}

}  // namespace varnel
