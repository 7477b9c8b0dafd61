// The checker's PE reader, on files as SFSE's and the game's are made
// (the simulation's writer, whose files Windows' own version functions read
// in the simulated start), on every cut of them, and on damaged headers.

#include "tools/namecheck/pe_reader.h"
#include "sim/loader/pe_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace varnel;  // the product under test

namespace {

sim::PeFileContents GameExe()
{
    sim::PeFileContents exe;
    exe.sectionNames = {".bind"};
    exe.imports = {"KERNEL32.dll", "XCurl.dll"};
    exe.version = sim::VersionResource{{{1, 15, 216, 0}}, {{1, 15, 216, 0}}, 1,
                                       {{"CompanyName", "Bethesda Softworks"}, {"ProductName", "Starfield"},
                                        {"ProductVersion", "1.15.216.0"}}};
    return exe;
}

sim::PeFileContents HostDll()
{
    sim::PeFileContents dll;
    dll.dll = true;
    dll.imageBase = 0x180000000;
    dll.version = sim::VersionResource{{{0, 0, 2, 17}}, {{0, 0, 2, 17}}, 1, {{"ProductName", "SFSE"}, {"ProductVersion", "0, 0, 2, 17"}}};
    dll.exportName = "SFSECore_Version";
    dll.exportData = std::string("\x01\0\0\0\x80\x0D\x0F\x01", 8);
    return dll;
}

std::uint32_t PeHeaderAt(const std::string& bytes)
{
    std::uint32_t at = 0;
    std::memcpy(&at, bytes.data() + 0x3C, 4);
    return at;
}

}  // namespace

TEST(PeReader, ReadsWhatTheGamesAndSfsesFilesHold)
{
    const std::string exe = sim::PeFileBytes(GameExe());
    const auto image = ReadPeImage(exe);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->machine, kMachineAmd64);
    const std::vector<std::string> sections = SectionNames(*image);
    EXPECT_NE(std::find(sections.begin(), sections.end(), ".bind"), sections.end());
    EXPECT_EQ(ImportedDlls(*image), (std::vector<std::string>{"KERNEL32.dll", "XCurl.dll"}));
    const auto version = ReadPeVersion(*image);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->productVersionText, "1.15.216.0");
    EXPECT_EQ(version->productName, "Starfield");
    EXPECT_EQ(version->fileVersion, 0x0001000F00D80000U);
    EXPECT_EQ(FourPartText(version->productVersion), "1.15.216.0");
    EXPECT_FALSE(HasExportTable(*image));

    const std::string dll = sim::PeFileBytes(HostDll());
    const auto host = ReadPeImage(dll);
    ASSERT_TRUE(host.has_value());
    const auto record = ExportedData(*host, "SFSECore_Version");
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->substr(0, 8), std::string_view("\x01\0\0\0\x80\x0D\x0F\x01", 8));
    EXPECT_FALSE(ExportedData(*host, "SFSECore_Versio").has_value());
    EXPECT_FALSE(ExportedData(*host, "SFSECore_VersionX").has_value());
    EXPECT_EQ(ReadPeVersion(*host)->fileVersion, 0x0000000000020011U);
    EXPECT_TRUE(ImportedDlls(*host).empty());
}

// A file cut anywhere reads as far as it goes, never outside it: each
// answer is the whole file's or none.
TEST(PeReader, EveryCutOfAFileReadsWithinIt)
{
    for (const std::string& whole : {sim::PeFileBytes(GameExe()), sim::PeFileBytes(HostDll())}) {
        for (std::size_t size = 0; size < whole.size(); ++size) {
            // A copy of its own, so that a read past its end is one past an allocation.
            const std::string cut = whole.substr(0, size);
            const auto image = ReadPeImage(cut);
            if (!image)
                continue;
            const auto version = ReadPeVersion(*image);
            if (version && !version->productVersionText.empty()) {
                EXPECT_TRUE(version->productVersionText == "1.15.216.0" || version->productVersionText == "0, 0, 2, 17") << size;
            }
            for (const std::string& name : ImportedDlls(*image))
                EXPECT_TRUE(name.empty() || std::string("KERNEL32.dllXCurl.dll").find(name) != std::string::npos) << size;
            const auto record = ExportedData(*image, "SFSECore_Version");
            EXPECT_TRUE(!record || record->size() <= cut.size()) << size;
        }
    }
}

// Offsets of the PE format, as the test's own numbers: the file header
// after "PE\0\0", the PE32+ optional header's import and resource entries,
// the first section header's raw offset.
TEST(PeReader, DamagedHeadersGiveWhatStillReads)
{
    const std::string whole = sim::PeFileBytes(GameExe());
    const std::uint32_t pe = PeHeaderAt(whole);
    std::uint16_t optionalSize = 0;
    std::memcpy(&optionalSize, whole.data() + pe + 20, 2);
    const std::size_t firstSection = pe + 24 + optionalSize;
    struct Row {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        std::size_t size;
        bool image;
        bool version;
        bool imports;
    };
    const std::vector<Row> rows = {
        {"the PE header's pointer past the end", 0x3C, 0xFFFFFFF0, 4, false, false, false},
        {"no PE signature", pe, 0x00004551, 4, false, false, false},
        {"a section count far beyond the file", pe + 6, 0xFFFF, 2, true, true, true},
        {"the import directory outside every section", pe + 24 + 120, 0x7FFFFFF0, 4, true, true, false},
        {"the resource directory outside every section", pe + 24 + 128, 0x7FFFFFF0, 4, true, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string bytes = whole;
        for (std::size_t i = 0; i < row.size; ++i)
            bytes[row.at + i] = static_cast<char>(row.value >> (8 * i) & 0xFF);
        const auto image = ReadPeImage(bytes);
        ASSERT_EQ(image.has_value(), row.image);
        if (!image)
            continue;
        EXPECT_EQ(ReadPeVersion(*image).has_value(), row.version);
        const std::vector<std::string> imports = row.imports ? std::vector<std::string>{"KERNEL32.dll", "XCurl.dll"} : std::vector<std::string>{};
        EXPECT_EQ(ImportedDlls(*image), imports);
        EXPECT_LE(SectionNames(*image).size(), bytes.size() / 40);
    }
    // Every section's bytes past the file's end: nothing in them reads.
    std::uint16_t sectionCount = 0;
    std::memcpy(&sectionCount, whole.data() + pe + 6, 2);
    std::string moved = whole;
    for (std::size_t i = 0; i < sectionCount; ++i)
        std::memcpy(moved.data() + firstSection + 40 * i + 20, "\xF0\xFF\xFF\x7F", 4);
    const auto image = ReadPeImage(moved);
    ASSERT_TRUE(image.has_value());
    EXPECT_FALSE(ReadPeVersion(*image).has_value());
    EXPECT_TRUE(ImportedDlls(*image).empty());
    EXPECT_EQ(SectionNames(*image).size(), sectionCount);

    EXPECT_FALSE(ReadPeImage("MZ").has_value());
    EXPECT_FALSE(ReadPeImage(std::string(0x40, 'M')).has_value());
}

// An export directory claiming four billion names: the lookup reads no further
// than the file, and still finds what is there.
TEST(PeReader, ACountBeyondTheFileEndsWhereItDoes)
{
    sim::PeFileContents contents = HostDll();
    std::string bytes = sim::PeFileBytes(contents);
    const auto image = ReadPeImage(bytes);
    ASSERT_TRUE(image.has_value());
    const auto record = ExportedData(*image, "SFSECore_Version");
    ASSERT_TRUE(record.has_value());
    // The name count sits 24 bytes into the export directory, which the
    // writer puts right before the record's name table: found by its value 1.
    const std::size_t recordAt = bytes.size() - record->size();
    std::size_t count = std::string::npos;
    for (std::size_t at = 0; at + 28 <= recordAt; at += 4) {
        std::uint32_t functions = 0;
        std::uint32_t names = 0;
        std::memcpy(&functions, bytes.data() + at + 20, 4);
        std::memcpy(&names, bytes.data() + at + 24, 4);
        if (functions == 1 && names == 1 && bytes.compare(at + 12, 4, std::string(4, '\0')) != 0)
            count = at + 24;
    }
    ASSERT_NE(count, std::string::npos);
    std::memcpy(bytes.data() + count, "\xFF\xFF\xFF\xFF", 4);
    const auto damaged = ReadPeImage(bytes);
    ASSERT_TRUE(damaged.has_value());
    EXPECT_TRUE(ExportedData(*damaged, "SFSECore_Version").has_value());  // its own name comes first
    EXPECT_FALSE(ExportedData(*damaged, "SFSEPlugin_Version").has_value());
}
