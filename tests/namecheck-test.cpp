#include "command_line.h"
#include "list_report.h"
#include "names/name_list.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

class NameCheckTest : public ::testing::Test {
protected:
    void SetUp() override { scratch_ = EnterScratchFolder(); }
    void TearDown() override { LeaveScratchFolder(scratch_); }

    static ListReport Check(const std::string& bytes) { return ReportOnList(WriteNameList("List.txt", bytes)); }

private:
    ScratchFolder scratch_;
};

TEST_F(NameCheckTest, CleanListPasses)
{
    const auto report = Check("Anna\nBeth\nCara\n");
    EXPECT_EQ(report.lines, 3);
    EXPECT_EQ(report.names, 3);
    EXPECT_TRUE(report.favoured.empty());
    EXPECT_FALSE(ListHasProblems(report));
    EXPECT_NE(ReportAsText(report).find("every command finds a name"), std::string::npos);
}

TEST_F(NameCheckTest, EmptyLinesFavourTheNameAfterThem)
{
    const auto report = Check("Anna\n\n\nBeth\nCara\n");
    EXPECT_EQ(report.lines, 5);
    EXPECT_EQ(report.emptyLines, 2);
    EXPECT_EQ(report.emptyLinesAtEnd, 0);
    ASSERT_EQ(report.favoured.size(), 1U);
    EXPECT_EQ(report.favoured[0].name, "Beth");
    EXPECT_EQ(report.favoured[0].lineNumber, 4);
    EXPECT_EQ(report.favoured[0].drawnBy, 3);
    EXPECT_FALSE(ListHasProblems(report));
    EXPECT_NE(ReportAsText(report).find("\"Beth\" (line 4) is drawn 60% of the time, not 20%"), std::string::npos);
}

TEST_F(NameCheckTest, EmptyLinesAtTheEndMakeCommandsFail)
{
    const auto report = Check("Anna\nBeth\n\n\r\n");
    EXPECT_EQ(report.lines, 4);
    EXPECT_EQ(report.emptyLinesAtEnd, 2);
    EXPECT_EQ(report.failingDraws, 2);
    EXPECT_TRUE(ListHasProblems(report));
    EXPECT_NE(ReportAsText(report).find("50% of commands fail"), std::string::npos);
}

TEST_F(NameCheckTest, LineStartingWithNulGivesNoName)
{
    const auto report = Check("Anna\n\0Beth\n"s);
    EXPECT_EQ(report.nulBytes, 1);
    EXPECT_EQ(report.failingDraws, 1);
    EXPECT_TRUE(ListHasProblems(report));
}

TEST_F(NameCheckTest, EmptyAndMissingListsFailEveryCommand)
{
    EXPECT_TRUE(ListHasProblems(Check("")));
    EXPECT_TRUE(ListHasProblems(Check("\x1A" "Anna\n")));
    const auto missing = ReportOnList("NoSuchList.txt");
    EXPECT_EQ(missing.state, ListState::Missing);
    EXPECT_TRUE(ListHasProblems(missing));
}

TEST_F(NameCheckTest, ByteLevelFindings)
{
    const auto report = Check("\xEF\xBB\xBF" "Anna\r\nBe\rth\nCara\r\n\x1A" "Dora\n"s);
    EXPECT_TRUE(report.byteOrderMark);
    EXPECT_EQ(report.crLfLineEnds, 2);
    EXPECT_EQ(report.lfLineEnds, 1);
    EXPECT_EQ(report.loneCarriageReturns, 1);
    EXPECT_TRUE(report.endMark);
    EXPECT_EQ(report.bytesAfterEndMark, 5);
    EXPECT_EQ(report.lines, 3);
    const std::string text = ReportAsText(report);
    for (const char* finding : {"mixed line ends", "byte-order mark", "not followed by a line feed",
                                "bytes after it are never read"})
        EXPECT_NE(text.find(finding), std::string::npos) << finding;
}

TEST_F(NameCheckTest, NameFindings)
{
    const auto report = Check("Anna\n Beth\nCara\t\n50%\nAnna\nAnna\n");
    EXPECT_EQ(report.duplicates, std::vector<std::string>{"Anna"});
    EXPECT_EQ(report.blankEdged, (std::vector<std::string>{" Beth", "Cara\t"}));
    EXPECT_EQ(report.percentSigns, std::vector<std::string>{"50%"});
    EXPECT_FALSE(ListHasProblems(report));
}

TEST_F(NameCheckTest, JsonCarriesTheFindingsWithEscapes)
{
    const auto report = Check("Anna\n\n\"Be\\th\"\n\n");
    const std::string json = ReportAsJson(report);
    EXPECT_NE(json.find("\"lines\": 4"), std::string::npos) << json;
    EXPECT_NE(json.find("\"someCommandsFail\": true"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"name\": \"\\\"Be\\\\th\\\"\", \"line\": 3, \"drawnBy\": 2}"), std::string::npos) << json;
}

struct CheckerRun {
    int status;
    std::string out;
    std::string err;
};

CheckerRun RunWith(const std::vector<std::filesystem::path>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunNameCheck(arguments, out, err);
    return {status, out.str(), err.str()};
}

// "Anna", "Beth" as UTF-16 little-endian, with or without a byte-order mark.
const std::string kUtf16 = "A\0n\0n\0a\0\r\0\n\0B\0e\0t\0h\0\r\0\n\0"s;

TEST_F(NameCheckTest, EncodingsTheGameMangles)
{
    struct Case {
        const char* what;
        std::string bytes;
        Encoding encoding;
        const char* says;
    };
    const Case cases[] = {
        {"UTF-16 with mark", "\xFF\xFE"s + kUtf16, Encoding::Utf16WithMark, "saved as UTF-16"},
        {"UTF-16 without mark", kUtf16, Encoding::Utf16NoMark, "saved as UTF-16"},
        {"code page 1252", "Ren\xE9\nJos\xE9\n", Encoding::NotUtf8, "not UTF-8"},
        {"overlong UTF-8", "\xC0\xAF\n", Encoding::NotUtf8, "not UTF-8"},
        {"a surrogate in UTF-8", "\xED\xA0\x80\n", Encoding::NotUtf8, "not UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto report = Check(c.bytes);
        EXPECT_EQ(report.encoding, c.encoding);
        EXPECT_TRUE(ListHasProblems(report));
        EXPECT_NE(ReportAsText(report).find(c.says), std::string::npos) << ReportAsText(report);
    }
    EXPECT_EQ(Check("Ren\xC3\xA9\n").encoding, Encoding::Utf8);
}

TEST_F(NameCheckTest, LineEndsAndBlanksThatGiveNoRealNames)
{
    const auto mac = Check("Anna\rBeth\rCara\r");
    EXPECT_TRUE(mac.carriageReturnsOnly);
    EXPECT_EQ(mac.lines, 1);
    EXPECT_TRUE(ListHasProblems(mac));
    EXPECT_NE(ReportAsText(mac).find("classic Mac line ends"), std::string::npos);

    const auto blank = Check("  \n\t\n \t \n");
    EXPECT_TRUE(blank.onlyBlankNames);
    EXPECT_TRUE(ListHasProblems(blank));
    EXPECT_FALSE(Check("Anna\n  \n").onlyBlankNames);
}

TEST_F(NameCheckTest, ListThatExistsButCannotBeOpenedGivesOnlyTheNameCountLine)
{
    std::filesystem::create_directories("Folder.txt");
    const auto report = ReportOnList("Folder.txt");
    EXPECT_EQ(report.state, ListState::Unopenable);
    const std::string text = ReportAsText(report);
    EXPECT_NE(text.find("cannot be opened"), std::string::npos);
    EXPECT_NE(text.find("Error: int 'NameCount' is out of range"), std::string::npos);
    EXPECT_EQ(text.find("couldn't be found"), std::string::npos);
    EXPECT_NE(ReportAsText(ReportOnList("None.txt")).find("couldn't be found"), std::string::npos);
}

TEST_F(NameCheckTest, OutputShowsBytesEscapedAndCountsRight)
{
    const auto report = Check("An\x1B[2Jna\nRen\xE9\nOne\nOne\nTwo\nTwo\nA\nA\nB\nB\nC\nC\nD\nD\n");
    const std::string text = ReportAsText(report);
    EXPECT_EQ(text.find('\x1B'), std::string::npos);
    EXPECT_NE(text.find("14 lines, 14 names"), std::string::npos) << text;
    EXPECT_NE(text.find("duplicate names (6): \"One\" \"Two\" \"A\" \"B\" \"C\" and 1 more"), std::string::npos) << text;
    EXPECT_NE(ReportAsText(Check("Anna\n")).find("1 line, 1 name\n"), std::string::npos);

    const std::string json = ReportAsJson(Check("Ren\xE9\nRen\xE9\n\n"));
    EXPECT_NE(json.find("\"replacedInvalidUtf8\": true"), std::string::npos) << json;
    EXPECT_NE(json.find("\"readable\": true, \"state\": \"readable\", \"encoding\": \"not-utf-8\""),
              std::string::npos) << json;
    EXPECT_NE(json.find("\"duplicates\": [\"Ren\xEF\xBF\xBD\"]"), std::string::npos) << json;
    EXPECT_EQ(json.find("Ren\xE9"), std::string::npos);
}

TEST_F(NameCheckTest, CommandLineOptionsAndExitStatus)
{
    WriteNameList("Good.txt", "Anna\nBeth\n");
    const std::string good = std::string(PluginFolder) + "Good.txt";
    EXPECT_EQ(RunWith({"--help"}).status, 0);
    EXPECT_NE(RunWith({"-h"}).out.find("usage: namecheck"), std::string::npos);
    const CheckerRun unknown = RunWith({"--jsn", good});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown option '--jsn'"), std::string::npos);
    EXPECT_EQ(RunWith({}).status, 2);
    EXPECT_EQ(RunWith({good}).status, 0);
    EXPECT_EQ(RunWith({"None.txt"}).status, 1);
}

TEST_F(NameCheckTest, FolderStandsForItsTwoLists)
{
    std::filesystem::create_directories("Plugins");
    std::ofstream("Plugins/FemaleNames.txt") << "Anna\n";
    const CheckerRun run = RunWith({"Plugins"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("FemaleNames.txt: 1 line, 1 name"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("MaleNames.txt: not found"), std::string::npos) << run.out;
}

TEST_F(NameCheckTest, ListsInFoldersOfAnyScript)
{
    for (const char* folder : {"Donn\xC3\xA9" "es", "\xE5\x90\x8D\xE5\x89\x8D"}) {
        const std::filesystem::path dir = std::filesystem::u8path(folder);
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "MaleNames.txt", std::ios::binary) << "Dov\nEmil\n";
        const auto report = ReportOnList(dir / "MaleNames.txt");
        EXPECT_EQ(report.state, ListState::Readable) << folder;
        EXPECT_EQ(report.lines, 2) << folder;
        const CheckerRun run = RunWith({dir});
        EXPECT_EQ(run.status, 1) << run.out;  // FemaleNames.txt is missing there
        EXPECT_NE(run.out.find(folder), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("MaleNames.txt: 2 lines"), std::string::npos) << run.out;
    }
}

TEST_F(NameCheckTest, FixWritesACleanCopyAndChecksIt)
{
    WriteNameList("Messy.txt", "\xEF\xBB\xBF" "Anna\r\n\r\n  \nBeth\rAnna\nCa\0ra\n\n\n\x1A" "Gone\n"s);
    const std::string messy = std::string(PluginFolder) + "Messy.txt";
    const CheckerRun run = RunWith({"--fix", "Clean.txt", messy});
    EXPECT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(ReadFileBytes("Clean.txt"), "Anna\r\nBeth\r\nCa\r\n");
    for (const char* said : {"wrote 3 names", "4 empty or blank lines", "1 duplicate", "5 bytes after a 0x1A",
                             "1 name cut at a NUL byte", "byte-order mark removed"})
        EXPECT_NE(run.err.find(said), std::string::npos) << said << ": " << run.err;
    EXPECT_NE(run.out.find("every command finds a name"), std::string::npos);

    const CheckerRun again = RunWith({"--fix", "Clean.txt", messy});
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.err.find("--force"), std::string::npos);
    EXPECT_EQ(RunWith({"--fix", "Clean.txt", "--force", messy}).status, 0);

    const CheckerRun over = RunWith({"--fix", messy, "--force", messy});
    EXPECT_EQ(over.status, 2);
    EXPECT_NE(ReadFileBytes(messy).find("Gone"), std::string::npos);

    WriteNameList("Wide.txt", "\xFF\xFE"s + kUtf16);
    EXPECT_EQ(RunWith({"--fix", "FromWide.txt", std::string(PluginFolder) + "Wide.txt"}).status, 0);
    EXPECT_EQ(ReadFileBytes("FromWide.txt"), "Anna\r\nBeth\r\n");

    WriteNameList("Old.txt", "Ren\xE9\n");
    EXPECT_EQ(RunWith({"--fix", "FromOld.txt", std::string(PluginFolder) + "Old.txt"}).status, 2);
    EXPECT_FALSE(std::filesystem::exists("FromOld.txt"));
}

}  // namespace
