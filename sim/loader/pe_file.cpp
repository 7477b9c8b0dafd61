#include "sim/loader/pe_file.h"

#include <cstddef>
#include <utility>

namespace sim {
namespace {

// Where the headers put things (PE32+): the DOS header's pointer to the
// PE signature, the file header after it, the optional header, the sections.
constexpr std::size_t kNewHeaderPointer = 0x3C;
constexpr std::size_t kPeSignature = 0x40;
constexpr std::size_t kFileHeader = kPeSignature + 4;
constexpr std::size_t kOptionalHeader = kFileHeader + 20;
constexpr std::size_t kOptionalHeaderSize = 240;
constexpr std::size_t kSectionTable = kOptionalHeader + kOptionalHeaderSize;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kHeadersSize = 0x400;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kFileAlignment = 0x200;
// Data directories: exports, imports, resources.
constexpr std::size_t kExportDirectory = 0;
constexpr std::size_t kImportDirectory = 1;
constexpr std::size_t kResourceDirectory = 2;

void Put(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t size)
{
    if (bytes.size() < at + size)
        bytes.resize(at + size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}
void Put16(std::string& bytes, std::size_t at, std::uint64_t value) { Put(bytes, at, value, 2); }
void Put32(std::string& bytes, std::size_t at, std::uint64_t value) { Put(bytes, at, value, 4); }
void Put64(std::string& bytes, std::size_t at, std::uint64_t value) { Put(bytes, at, value, 8); }

void PadTo(std::string& bytes, std::size_t alignment)
{
    bytes.resize((bytes.size() + alignment - 1) / alignment * alignment, '\0');
}

std::uint32_t RoundUp(std::uint32_t value, std::uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// ASCII text as NUL-terminated UTF-16.
std::string Utf16(const std::string& text)
{
    std::string wide;
    for (const char c : text)
        wide += {c, '\0'};
    return wide + std::string(2, '\0');
}

// One block of a version resource: its length, value length and type, its
// key, its value, then its children, each on a 32-bit boundary.
std::string VersionBlock(const std::string& key, const std::string& value, std::size_t valueLength, bool text,
                         const std::vector<std::string>& children = {})
{
    std::string block(6, '\0');
    block += Utf16(key);
    PadTo(block, 4);
    block += value;
    for (const std::string& child : children) {
        PadTo(block, 4);
        block += child;
    }
    Put16(block, 0, block.size());
    Put16(block, 2, valueLength);
    Put16(block, 4, text ? 1 : 0);
    return block;
}

std::uint32_t High(const FourPartVersion& version) { return std::uint32_t{version.parts[0]} << 16 | version.parts[1]; }
std::uint32_t Low(const FourPartVersion& version) { return std::uint32_t{version.parts[2]} << 16 | version.parts[3]; }

// VS_FIXEDFILEINFO.
std::string FixedFileInfo(const VersionResource& version)
{
    std::string info;
    const std::uint32_t fields[13] = {0xFEEF04BD, 0x00010000, High(version.fileVersion), Low(version.fileVersion),
                                      High(version.productVersion), Low(version.productVersion),
                                      0x17, 0, 4, version.fileType, 0, 0, 0};
    for (std::size_t i = 0; i < 13; ++i)
        Put32(info, 4 * i, fields[i]);
    return info;
}

std::string VersionInfo(const VersionResource& version)
{
    std::vector<std::string> strings;
    for (const auto& [key, value] : version.strings)
        strings.push_back(VersionBlock(key, Utf16(value), value.size() + 1, true));
    std::string translation;
    Put16(translation, 0, 0x0409);  // US English
    Put16(translation, 2, 1200);    // UTF-16
    const std::string fixed = FixedFileInfo(version);
    return VersionBlock("VS_VERSION_INFO", fixed, fixed.size(), false,
                        {VersionBlock("StringFileInfo", "", 0, true, {VersionBlock("040904b0", "", 0, true, strings)}),
                         VersionBlock("VarFileInfo", "", 0, true,
                                      {VersionBlock("Translation", translation, translation.size(), false)})});
}

// The resource tree of one RT_VERSION resource, id 1, US English.
std::string ResourceSection(const VersionResource& version, std::uint32_t rva)
{
    constexpr std::uint32_t kSubdirectory = 0x80000000;
    std::string section;
    const std::uint32_t ids[3] = {16, 1, 0x0409};
    for (std::size_t level = 0; level < 3; ++level) {
        const std::size_t at = 24 * level;
        Put16(section, at + 14, 1);  // one entry, by id
        Put32(section, at + 16, ids[level]);
        Put32(section, at + 20, level < 2 ? kSubdirectory | (24 * (level + 1)) : 72);
    }
    const std::string data = VersionInfo(version);
    Put32(section, 72, rva + 88);
    Put32(section, 76, data.size());
    Put64(section, 80, 0);
    return section + data;
}

// The export directory, its one name and the data it names; `directorySize`
// ends before the data, which would otherwise read as a forwarder.
std::string ExportSection(const PeFileContents& contents, std::uint32_t rva, std::uint32_t& directorySize)
{
    std::string section;
    const std::string module = contents.dll ? "image.dll" : "image.exe";
    const std::size_t moduleName = 50;
    const std::size_t exportName = moduleName + module.size() + 1;
    Put32(section, 12, rva + moduleName);
    Put32(section, 16, 1);  // ordinal base
    Put32(section, 20, 1);  // functions
    Put32(section, 24, 1);  // names
    Put32(section, 28, rva + 40);
    Put32(section, 32, rva + 44);
    Put32(section, 36, rva + 48);
    Put32(section, 44, rva + exportName);
    Put16(section, 48, 0);
    section += module + '\0' + contents.exportName + '\0';
    directorySize = static_cast<std::uint32_t>(section.size());
    PadTo(section, 8);
    Put32(section, 40, rva + section.size());
    return section + contents.exportData;
}

// One import descriptor per DLL, each with an empty lookup table.
std::string ImportSection(const std::vector<std::string>& imports, std::uint32_t rva)
{
    std::string section((imports.size() + 1) * 20, '\0');
    const std::size_t emptyTable = section.size();
    section += std::string(8, '\0');
    for (std::size_t i = 0; i < imports.size(); ++i) {
        Put32(section, 20 * i, rva + emptyTable);       // the lookup table
        Put32(section, 20 * i + 12, rva + section.size());  // the DLL's name
        Put32(section, 20 * i + 16, rva + emptyTable);  // the address table
        section += imports[i] + '\0';
    }
    return section;
}

struct Section {
    std::string name;
    std::string bytes;
    std::uint32_t rva = 0;
    std::uint32_t characteristics = 0x40000040;  // initialised data, readable
};

// Each data directory's RVA and size.
using Directories = std::uint32_t[16][2];

std::uint32_t NextRva(const std::vector<Section>& sections)
{
    if (sections.empty())
        return kSectionAlignment;
    const Section& last = sections.back();
    return last.rva + RoundUp(static_cast<std::uint32_t>(last.bytes.size()), kSectionAlignment);
}

void AddSection(std::vector<Section>& sections, const std::string& name, std::string bytes)
{
    const std::uint32_t rva = NextRva(sections);
    sections.push_back({name, std::move(bytes), rva});
}

// A section a data directory points to: all of it, or its first `size` bytes.
template <typename Build>
void AddDirectorySection(std::vector<Section>& sections, Directories& directories, const char* name,
                         std::size_t directory, Build build)
{
    const std::uint32_t rva = NextRva(sections);
    std::uint32_t size = 0;
    std::string bytes = build(rva, size);
    directories[directory][0] = rva;
    directories[directory][1] = size != 0 ? size : static_cast<std::uint32_t>(bytes.size());
    sections.push_back({name, std::move(bytes), rva});
}

}  // namespace

std::string PeFileBytes(const PeFileContents& contents)
{
    std::vector<Section> sections;
    AddSection(sections, ".text", std::string(1, '\xC3'));  // ret
    sections.back().characteristics = 0x60000020;         // code, executable, readable
    for (const std::string& name : contents.sectionNames)
        AddSection(sections, name, std::string(16, '\0'));
    Directories directories = {};
    if (!contents.imports.empty()) {
        AddDirectorySection(sections, directories, ".idata", kImportDirectory, [&](std::uint32_t rva, std::uint32_t& size) {
            size = static_cast<std::uint32_t>((contents.imports.size() + 1) * 20);
            return ImportSection(contents.imports, rva);
        });
    }
    if (!contents.exportName.empty()) {
        AddDirectorySection(sections, directories, ".edata", kExportDirectory,
                            [&](std::uint32_t rva, std::uint32_t& size) { return ExportSection(contents, rva, size); });
    }
    if (contents.version) {
        AddDirectorySection(sections, directories, ".rsrc", kResourceDirectory,
                            [&](std::uint32_t rva, std::uint32_t&) { return ResourceSection(*contents.version, rva); });
    }

    std::string file(kHeadersSize, '\0');
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, kNewHeaderPointer, kPeSignature);
    file.replace(kPeSignature, 4, std::string("PE\0\0", 4));
    Put16(file, kFileHeader, 0x8664);  // x64
    Put16(file, kFileHeader + 2, sections.size());
    Put16(file, kFileHeader + 16, kOptionalHeaderSize);
    Put16(file, kFileHeader + 18, contents.dll ? 0x2022 : 0x0022);  // executable, large addresses, DLL
    Put16(file, kOptionalHeader, 0x20B);  // PE32+
    Put64(file, kOptionalHeader + 24, contents.imageBase);
    Put32(file, kOptionalHeader + 32, kSectionAlignment);
    Put32(file, kOptionalHeader + 36, kFileAlignment);
    Put16(file, kOptionalHeader + 40, 6);  // Windows Vista and later
    Put16(file, kOptionalHeader + 48, 6);
    Put32(file, kOptionalHeader + 56, NextRva(sections));
    Put32(file, kOptionalHeader + 60, kHeadersSize);
    Put16(file, kOptionalHeader + 68, 2);  // Windows GUI
    Put32(file, kOptionalHeader + 108, 16);
    for (std::size_t i = 0; i < 16; ++i) {
        Put32(file, kOptionalHeader + 112 + 8 * i, directories[i][0]);
        Put32(file, kOptionalHeader + 116 + 8 * i, directories[i][1]);
    }
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const Section& section = sections[i];
        const std::size_t header = kSectionTable + kSectionHeaderSize * i;
        file.replace(header, section.name.size(), section.name);
        Put32(file, header + 8, section.bytes.size());
        Put32(file, header + 12, section.rva);
        Put32(file, header + 16, RoundUp(static_cast<std::uint32_t>(section.bytes.size()), kFileAlignment));
        Put32(file, header + 20, file.size());
        Put32(file, header + 36, section.characteristics);
        file += section.bytes;
        PadTo(file, kFileAlignment);
    }
    return file;
}

}  // namespace sim
