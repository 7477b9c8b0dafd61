#include "tools/namecheck/command_line.h"
#include "tools/namecheck/doctor.h"
#include "tools/namecheck/file_text.h"
#include "tools/namecheck/host_reasons.h"
#include "tools/namecheck/file_times.h"
#include "tools/namecheck/host_log.h"
#include "tools/namecheck/installation.h"
#include "tools/namecheck/loader_log.h"
#include "tools/namecheck/mod_organizer.h"
#include "tools/namecheck/list_report.h"
#include "tools/namecheck/list_text.h"
#include "src/names/name_list.h"
#include "tools/namecheck/plugin_file.h"
#include "tools/namecheck/verdicts.h"
#include "sim/loader/game_files.h"
#include "support/failing_allocator.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace varnel;  // the product under test

namespace {

using namespace std::string_literals;

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
    EXPECT_NE(ReportAsText(report).find("every command shows a name as its line reads"), std::string::npos);
}

// The rule: exit status 0 only when every command shows a name exactly as
// its line reads, each line as likely as the next. Each row's premise is
// checked against the plugin's own reader: what it gives for one line.
TEST_F(NameCheckTest, EveryListThatShowsAWrongNameFailsAndSaysWhatToDo)
{
    struct Row {
        const char* what;
        std::string bytes;
        const char* finding;     // a finding of the report (JSON key), or "" for none
        int status;
        std::int32_t line;       // the reader, asked for this line...
        std::string readerGives; // ...gives this name
    };
    const Row rows[] = {
        {"clean, any script", "Zo\xC3\xAB\nS\xC3\xB8ren\n\xE7\xBE\x8E\xE5\x92\xB2\nO'Brien\nAnna-Maria\nAnna Maria\n", "", 0,
         6, "Anna Maria"},
        {"CR CR LF", "Anna\r\r\nBert\r\r\n", "carriageReturns", 1, 1, "Anna\r"},
        {"NUL in a name", "Anna\nBe\0rt\nCara\n"s, "nulBytes", 1, 2, "Be"},
        {"0x1A after line 2 of 4", "Anna\nBert\n\x1A" "Cara\nDora\n", "textAfterEndMark", 1, 3, ""},
        {"commas", "Anna, Bert, Cara\n", "severalNames", 1, 1, "Anna, Bert, Cara"},
        {"a tab between words", "Anna\tMaria\nBert\n", "severalNames", 1, 1, "Anna\tMaria"},
        {"a no-break space alone", "Anna\n\xC2\xA0\nBert\n", "invisibleNames", 1, 2, "\xC2\xA0"},
        {"a zero-width space alone", "\xE2\x80\x8B\nBert\n", "invisibleNames", 1, 1, "\xE2\x80\x8B"},
        {"an empty line in the middle", "Anna\n\nBert\n", "favouredNames", 1, 2, "Bert"},
        {"a mark, then an empty first line", "\xEF\xBB\xBF\nAnna\n", "invisibleNames", 1, 1, "\xEF\xBB\xBF"},
        {"notes only", "Anna\nanna\nAnna\n Bert\n50%\n", "caseVariants", 0, 4, " Bert"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = WriteNameList("FemaleNames.txt", row.bytes);
        EXPECT_EQ(ReadNameAtInFile(path, row.line), row.readerGives);
        const CheckerRun run = RunWith({path});
        EXPECT_EQ(run.status, row.status) << run.out;
        const std::string json = ReportAsJson(ReportOnList(path));
        if (*row.finding != 0) {
            EXPECT_NE(json.find(std::string("{\"finding\": \"") + row.finding + "\""), std::string::npos) << json;
        }
        // Every finding is followed by what to do about it.
        std::size_t findings = 0;
        std::size_t actions = 0;
        for (std::size_t at = run.out.find("\n  "); at != std::string::npos; at = run.out.find("\n  ", at + 1)) {
            findings += run.out[at + 3] != ' ' ? 1 : 0;
            actions += run.out.compare(at, 12, "\n    To do: ") == 0 ? 1 : 0;
        }
        EXPECT_EQ(actions + (row.status == 0 ? 1 : 0), findings) << run.out;
        EXPECT_EQ(run.out.find("every command shows a name") != std::string::npos, row.status == 0) << run.out;
    }
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
    EXPECT_TRUE(ListHasProblems(report));  // the draw is uneven
    // The fair share is one name's, a third; not one line's, a fifth.
    EXPECT_NE(ReportAsText(report).find("\"Beth\" (line 4) is drawn 60% of the time, not 33.3%"), std::string::npos)
        << ReportAsText(report);
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
    for (const char* finding : {"mixed line ends", "byte-order mark", "1 name keeps a carriage return",
                                "bytes after it are never read"})
        EXPECT_NE(text.find(finding), std::string::npos) << finding;
}

TEST_F(NameCheckTest, NameFindings)
{
    // A zero-width character (here U+200C, U+FEFF) takes no room: the blank
    // beside it is still at the name's edge.
    const auto report = Check("Anna\n Beth\nCara\t\n50%\nAnna\nAnna\nDora \xE2\x80\x8C\n\xEF\xBB\xBF Ema\nZo\xE2\x80\x8C" "e\n");
    EXPECT_EQ(report.duplicates, std::vector<std::string>{"Anna"});
    EXPECT_EQ(report.blankEdged,
              (std::vector<std::string>{" Beth", "Cara\t", "Dora \xE2\x80\x8C", "\xEF\xBB\xBF Ema"}));
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

    // Names of blanks only: flagged, as --fix drops them.
    const auto blank = Check("  \n\t\n \t \n");
    EXPECT_EQ(blank.blankNames, (std::vector<std::string>{"  ", "\t", " \t "}));
    EXPECT_TRUE(ListHasProblems(blank));
    const auto oneBlank = Check("Anna\n  \nBeth\n");
    EXPECT_EQ(oneBlank.blankNames, std::vector<std::string>{"  "});
    EXPECT_TRUE(ListHasProblems(oneBlank));
    EXPECT_NE(ReportAsText(oneBlank).find("1 name is only blanks or tabs: the game shows an empty-looking name (line "
                                          "2).\n    To do: remove those lines, or run with --fix."),
              std::string::npos)
        << ReportAsText(oneBlank);
    EXPECT_TRUE(Check("Anna\n").blankNames.empty());
}

TEST_F(NameCheckTest, WhatIsNoRegularFileGetsItsVerdictAtOnce)
{
    std::filesystem::create_directories("Folder.txt");
    const auto report = ReportOnList("Folder.txt");
    EXPECT_EQ(report.state, ListState::NotAFile);
    const std::string text = ReportAsText(report);
    EXPECT_NE(text.find("is a folder, not a list file"), std::string::npos) << text;
    EXPECT_NE(text.find("Error: int 'NameCount' is out of range"), std::string::npos);
    EXPECT_EQ(text.find("couldn't be found"), std::string::npos);
    EXPECT_NE(ReportAsText(ReportOnList("None.txt")).find("couldn't be found"), std::string::npos);
#if !defined(_WIN32)
    // A pipe nobody writes to: read, it would never end.
    ASSERT_EQ(mkfifo("Pipe.txt", 0600), 0);
    const auto pipe = ReportOnList("Pipe.txt");
    EXPECT_EQ(pipe.state, ListState::NotAFile);
    EXPECT_NE(ReportAsText(pipe).find("is a pipe, not a list file"), std::string::npos);
    EXPECT_EQ(RunWith({"Pipe.txt"}).status, 1);
#endif
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
    EXPECT_NE(RunWith({"-h"}).out.find("usage: Varnel_NameCheck"), std::string::npos);
    const CheckerRun unknown = RunWith({"--jsn", good});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown option '--jsn'"), std::string::npos);
    const CheckerRun nothing = RunWith({});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_EQ(nothing.out.rfind("Drop a name list, or the game's folder (the one holding Starfield.exe), onto this "
                                "program's icon to check it.\n", 0), 0U) << nothing.out;
    EXPECT_EQ(RunWith({"/?"}).status, 0);
    EXPECT_NE(RunWith({"/?"}).out.find("Problems (exit status 1):"), std::string::npos);
    EXPECT_EQ(RunWith({good}).status, 0);
    EXPECT_EQ(RunWith({"None.txt"}).status, 1);
    const CheckerRun jsonSample = RunWith({"--json", "--sample", "3", good});
    EXPECT_EQ(jsonSample.status, 2);
    EXPECT_NE(jsonSample.err.find("--json and --sample go separately"), std::string::npos) << jsonSample.err;
}

TEST_F(NameCheckTest, FolderStandsForItsTwoLists)
{
    std::filesystem::create_directories("Plugins");
    std::ofstream("Plugins/FemaleNames.txt") << "Anna\n";
    const CheckerRun run = RunWith({"Plugins"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("FemaleNames.txt: 1 line, 1 name"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("MaleNames.txt: not found"), std::string::npos) << run.out;

    // A folder with neither list names them and what it holds instead; a
    // list under another name is checked, with a note.
    std::filesystem::create_directories("Other");
    std::ofstream("Other/names.txt") << "Anna\n";
    const CheckerRun other = RunWith({"Other"});
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.out.find("Other: holds neither FemaleNames.txt nor MaleNames.txt, the two lists the plugin reads.\n"
                             "  Text files in it: names.txt. To check one of them, drop that file itself."),
              std::string::npos) << other.out;
    const CheckerRun renamed = RunWith({"Other/names.txt"});
    EXPECT_EQ(renamed.status, 0) << renamed.out;
    EXPECT_NE(renamed.out.find("note: named \"names.txt\", which the plugin never reads.\n    To do: save it as "
                               "FemaleNames.txt or MaleNames.txt."), std::string::npos) << renamed.out;
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
    // A stray NUL or 0x1A goes; the text around it stays.
    EXPECT_EQ(ReadFileBytes("Clean.txt"), "Anna\r\nBeth\r\nCara\r\nGone\r\n");
    EXPECT_NE(run.err.find("Clean.txt: wrote 4 names from " + messy + ", UTF-8 with CR LF line ends; "
                           "4 empty or blank lines dropped (lines 2, 3, 7, 8); 1 duplicate dropped (line 5); "
                           "1 NUL byte removed (line 6); 1 0x1A byte removed (line 9); removed the byte-order mark (line 1)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("every command shows a name as its line reads"), std::string::npos);

    const CheckerRun again = RunWith({"--fix", "Clean.txt", messy});
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.err.find("Clean.txt: exists already (add --force to replace it); nothing written"),
              std::string::npos) << again.err;
    EXPECT_EQ(RunWith({"--fix", "Clean.txt", "--force", messy}).status, 0);

    const CheckerRun over = RunWith({"--fix", messy, "--force", messy});
    EXPECT_EQ(over.status, 2);
    EXPECT_NE(ReadFileBytes(messy).find("Gone"), std::string::npos);

    // Doubled line ends: the extra CRs go, each named with its line.
    WriteNameList("Doubled.txt", "Anna\r\r\nBert\r\r\r\nCara\rDora\n");
    const CheckerRun doubled = RunWith({"--fix", "Undoubled.txt", std::string(PluginFolder) + "Doubled.txt"});
    EXPECT_EQ(doubled.status, 0) << doubled.out;
    EXPECT_EQ(ReadFileBytes("Undoubled.txt"), "Anna\r\nBert\r\nCara\r\nDora\r\n");
    EXPECT_NE(doubled.err.find("; 3 carriage returns removed (lines 1, 2, 2)"), std::string::npos) << doubled.err;

    WriteNameList("Wide.txt", "\xFF\xFE"s + kUtf16);
    const CheckerRun wide = RunWith({"--fix", "FromWide.txt", std::string(PluginFolder) + "Wide.txt"});
    EXPECT_EQ(wide.status, 0);
    EXPECT_EQ(ReadFileBytes("FromWide.txt"), "Anna\r\nBeth\r\n");
    EXPECT_NE(wide.err.find("; converted from UTF-16"), std::string::npos) << wide.err;
}

TEST_F(NameCheckTest, FixErrorsNameTheListTheyAreAbout)
{
    WriteNameList("Old.txt", "Ren\xE9\n");
    std::filesystem::create_directories("AFolder");
    struct Case {
        std::string input;
        const char* says;
    };
    const Case cases[] = {
        {std::string(PluginFolder) + "Old.txt", "Old.txt: is not UTF-8 and its code page is unknown"},
        {"Missing.txt", "Missing.txt: not found; nothing written"},
        {"AFolder", "AFolder: is a folder, not a list; nothing written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const CheckerRun run = RunWith({"--fix", "Out.txt", c.input});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Out.txt"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("basic_"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists("Out.txt"));
    }
    const CheckerRun intoFolder = RunWith({"--fix", "AFolder", std::string(PluginFolder) + "Old.txt"});
    EXPECT_EQ(intoFolder.status, 2);
    EXPECT_EQ(intoFolder.err, "Varnel_NameCheck: AFolder: is a folder: name the file to write; nothing written\n");
}

TEST_F(NameCheckTest, ByteOrderMarkIsShownByTheGame)
{
    const auto marked = Check("\xEF\xBB\xBF" "Anna\nBeth\n");
    EXPECT_TRUE(marked.byteOrderMark);
    EXPECT_TRUE(ListHasProblems(marked));
    EXPECT_NE(ReportAsText(marked).find("the game shows the first name with an invisible mark in front of it"),
              std::string::npos);
    const auto onlyMark = Check("\xEF\xBB\xBF");
    EXPECT_TRUE(onlyMark.onlyByteOrderMark);
    EXPECT_TRUE(ListHasProblems(onlyMark));
    EXPECT_NE(ReportAsText(onlyMark).find("line 1 shows as nothing"), std::string::npos);
    EXPECT_NE(ReportAsText(onlyMark).find("an invisible name, drawn 100% of the time"), std::string::npos);
    WriteNameList("Marked.txt", "\xEF\xBB\xBF" "Anna\n");
    EXPECT_EQ(RunWith({std::string(PluginFolder) + "Marked.txt"}).status, 1);
    EXPECT_EQ(RunWith({"--fix", "Unmarked.txt", std::string(PluginFolder) + "Marked.txt"}).status, 0);
    EXPECT_EQ(ReadFileBytes("Unmarked.txt"), "Anna\r\n");
}

TEST_F(NameCheckTest, Utf16VerdictSaysTheEncodingAndNothingElse)
{
    for (const std::string& bytes : {"\xFF\xFE"s + kUtf16, kUtf16}) {
        const std::string text = ReportAsText(Check(bytes));
        EXPECT_NE(text.find("saved as UTF-16"), std::string::npos) << text;
        // Every line but the first starts with a NUL: two of the three draws fail.
        EXPECT_NE(text.find(": 3 lines as the game reads it\n"), std::string::npos) << text;
        EXPECT_NE(text.find("so 66.7% of commands fail (\"Error: std::string 'sNewName' is empty. Aborting function "
                            "call.\") and the others show a single letter or a fragment"),
                  std::string::npos)
            << text;
        for (const char* artefact : {"carriage return", "NUL byte:", "NUL bytes:", "duplicate", " names", "empty line",
                                     "mixed"})
            EXPECT_EQ(text.find(artefact), std::string::npos) << artefact << " in: " << text;
    }
}

TEST_F(NameCheckTest, NamesDifferingOnlyInCaseAreANote)
{
    const auto report = Check("Anna\nanna\nBeth\nANNA\nanna\n");
    EXPECT_EQ(report.caseVariants, (std::vector<std::pair<std::string, std::string>>{{"Anna", "anna"}, {"Anna", "ANNA"}}));
    EXPECT_FALSE(ListHasProblems(report));
    EXPECT_NE(ReportAsText(report).find("note: names that differ only in letter case (2): \"Anna\"/\"anna\" "
                                        "\"Anna\"/\"ANNA\""),
              std::string::npos)
        << ReportAsText(report);
}

TEST_F(NameCheckTest, LinesFarLongerThanANameAreSeveralNames)
{
    const std::string longest(kLongestLikelyName, 'a');
    EXPECT_FALSE(ListHasProblems(Check(longest + "\nBeth\n")));
    const auto joined = Check("Beth\n" + longest + "b\n");
    ASSERT_EQ(joined.longLines.size(), 1U);
    EXPECT_EQ(joined.longLines[0].lineNumber, 2);
    EXPECT_TRUE(ListHasProblems(joined));
    std::string typed = "Anna";
    while (typed.size() <= kLongestLikelyName)
        typed += ", Anna";
    const std::string text = ReportAsText(Check(typed + "\n"));
    EXPECT_NE(text.find("line 1 is " + std::to_string(typed.size()) + " bytes long: most likely several names on one "
                        "line"), std::string::npos) << text;
}

TEST_F(NameCheckTest, CountsAreSaidInGoodEnglish)
{
    const std::string one = ReportAsText(Check("An\rna\n\nBeth\n\x1A" "x"));
    for (const char* said : {"1 name keeps a carriage return", "1 empty line (0 at the end; line 2)",
                             "1 byte after it is never read"})
        EXPECT_NE(one.find(said), std::string::npos) << said << " in: " << one;
    const std::string many = ReportAsText(Check("A\rna\nB\rob\n\n\nBeth\n\x1A" "xy"));
    for (const char* said : {"2 names keep a carriage return", "2 empty lines (0 at the end; lines 3, 4)",
                             "2 bytes after it are never read"})
        EXPECT_NE(many.find(said), std::string::npos) << said << " in: " << many;
}

TEST_F(NameCheckTest, JsonOfSeveralListsIsOneDocument)
{
    std::filesystem::create_directories("Lists");
    std::ofstream("Lists/FemaleNames.txt") << "Anna\n";
    const CheckerRun run = RunWith({"--json", "Lists", "None.txt"});
    EXPECT_EQ(run.out.rfind("{\"lists\": [\n  {\"path\": ", 0), 0U) << run.out;
    EXPECT_EQ(run.out.substr(run.out.size() - 4), "\n]}\n") << run.out;
    std::size_t objects = 0;
    for (std::size_t at = run.out.find("{\"path\""); at != std::string::npos; at = run.out.find("{\"path\"", at + 1))
        ++objects;
    EXPECT_EQ(objects, 3U);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '{'), std::count(run.out.begin(), run.out.end(), '}'));
    EXPECT_NE(run.out.find("},\n  {\"path\": "), std::string::npos);
}

TEST_F(NameCheckTest, ReadingThatFailsPartWayGivesNoVerdictAtAll)
{
    const std::filesystem::path list = WriteNameList("FemaleNames.txt", "Anna\n\nBeth\nAnna\n");
    const std::string whole = ReportAsText(ReportOnList(list));
    // Each allocation of the check fails in turn: the verdict is the whole
    // one or none, never one made from part of the list.
    for (std::size_t successes = 0;; ++successes) {
        FailAllocationAfter(successes);
        const ListReport report = ReportOnList(list);
        const bool failed = AllocationFailed();
        StopFailingAllocations();
        if (report.state == ListState::ReadFailed) {
            EXPECT_NE(ReportAsText(report).find("could not be read to its end"), std::string::npos);
            EXPECT_EQ(report.lines, 0);
            EXPECT_TRUE(report.duplicates.empty());
        } else {
            EXPECT_EQ(ReportAsText(report), whole) << "after " << successes << " allocations";
        }
        if (!failed)
            break;
    }
}

TEST_F(NameCheckTest, SampleGivesNamesAsTheCommandPicksThem)
{
    const std::string list = WriteNameList("FemaleNames.txt", "Anna\n\nBeth\nCara\n");
    const CheckerRun run = RunWith({"--sample", "200", list});
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::map<std::string, int> seen;
    int count = 0;
    for (std::string name; std::getline(lines, name); ++count)
        ++seen[name];
    EXPECT_EQ(count, 200);
    EXPECT_EQ(seen.size(), 3U);
    EXPECT_EQ(seen.count(""), 0U);
    EXPECT_GT(seen["Beth"], seen["Anna"]) << "the empty line gives Beth twice the share";

    for (const char* bad : {"0", "1001", "five", "-3", "5x"}) {
        const CheckerRun refused = RunWith({"--sample", bad, list});
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_NE(refused.err.find("--sample takes a number of names from 1 to 1000"), std::string::npos) << bad;
    }
    EXPECT_EQ(RunWith({"--sample", "1000", list}).status, 0);
    // A folder: both of its lists.
    std::filesystem::create_directories("Both");
    std::ofstream("Both/FemaleNames.txt") << "Anna\n";
    std::ofstream("Both/MaleNames.txt") << "Dov\n";
    const CheckerRun both = RunWith({"--sample", "2", "Both"});
    EXPECT_EQ(both.status, 0) << both.out;
    EXPECT_NE(both.out.find("FemaleNames.txt\nAnna\nAnna\n"), std::string::npos) << both.out;
    EXPECT_NE(both.out.find("MaleNames.txt\nDov\nDov\n"), std::string::npos) << both.out;
    EXPECT_EQ(RunWith({"--sample", "3"}).status, 2);

    const std::string failing = WriteNameList("MaleNames.txt", "Dov\n\n\n");
    const CheckerRun verdict = RunWith({"--sample", "5", failing});
    EXPECT_EQ(verdict.status, 1);
    EXPECT_EQ(verdict.out, ReportAsText(ReportOnList(failing)));
}

TEST_F(NameCheckTest, LineGivenForAgreesWithThePluginsReader)
{
    std::mt19937 random(20261209);
    const std::string pieces[] = {"Anna", "", "B\0b"s, "\r", " ", "Cara\r", "\0"s, "D"};
    for (int list = 0; list < 150; ++list) {
        std::string bytes;
        const int lineCount = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < lineCount; ++i)
            bytes += pieces[random() % std::size(pieces)] + (random() % 3 == 0 ? "" : "\n");
        const std::string path = WriteNameList("Random.txt", bytes);
        std::vector<std::string> lines;
        ASSERT_TRUE(VisitLinesInFile(path, [&](const std::string& line) { lines.push_back(line); }));
        const std::vector<std::int64_t> given = LineGivenFor(lines);
        ASSERT_EQ(given.size(), static_cast<std::size_t>(CountNamesInFile(path)));
        for (std::size_t n = 0; n < given.size(); ++n) {
            const std::string expected =
                given[n] < 0 ? "" : lines[static_cast<std::size_t>(given[n])].substr(0, lines[static_cast<std::size_t>(given[n])].find('\0'));
            EXPECT_EQ(ReadNameAtInFile(path, static_cast<std::int32_t>(n + 1)), expected) << "list " << list << " line " << n + 1;
        }
    }
}

TEST(NameCheckWindow, WaitsOnlyWhenAloneOnAConsoleItShowsItsOutputIn)
{
    EXPECT_TRUE(WaitBeforeClosing(1, true));    // a drop or a double-click in Explorer
    EXPECT_FALSE(WaitBeforeClosing(2, true));   // a command prompt's window
    EXPECT_FALSE(WaitBeforeClosing(1, false));  // output redirected
    EXPECT_FALSE(WaitBeforeClosing(0, true));   // no console at all
    EXPECT_FALSE(WaitBeforeClosing(3, false));
}

TEST(NameCheckText, PathsAreShownAsWritten)
{
    EXPECT_EQ(EscapedPathText("C:\\Mods\\Donn\xC3\xA9" "es\\FemaleNames.txt"), "C:\\Mods\\Donn\xC3\xA9" "es\\FemaleNames.txt");
    EXPECT_EQ(EscapedPathText("a\x1B[2J"), "a\\x1B[2J");
    EXPECT_EQ(Escaped("a\\b"), "a\\\\b");
}

}  // namespace

// ---- A player's installation ----

namespace {

namespace fs = std::filesystem;

void Put(std::string& bytes, std::size_t at, std::uint32_t value, std::size_t size = 4)
{
    for (std::size_t i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// A version record by its offsets: format 1, the version, the name, one
// game runtime.
std::string Record(const std::string& name, std::uint32_t version, std::uint32_t runtime)
{
    std::string record(604, '\0');
    Put(record, 0x000, 1);
    Put(record, 0x004, version);
    record.replace(0x008, name.size(), name);
    Put(record, 0x210, runtime);
    return record;
}

// The smallest x64 DLL a host reads: DOS header, PE header, one section at
// RVA 0x1000 (file offset 0x200) holding the export directory, one function
// named `exported` whose bytes are `payload`. No export table when
// `exported` is empty; `cutAt` ends the file early.
std::string MiniDll(std::uint16_t machine, const std::string& exported, const std::string& payload,
                    std::size_t cutAt = SIZE_MAX)
{
    std::string bytes(0x1200, '\0');
    bytes.replace(0, 2, "MZ");
    Put(bytes, 0x3C, 0x40);
    bytes.replace(0x40, 4, std::string("PE\0\0", 4));
    Put(bytes, 0x44, machine, 2);
    Put(bytes, 0x46, 1, 2);        // one section
    Put(bytes, 0x54, 0xF0, 2);     // optional header size
    Put(bytes, 0x58, 0x20B, 2);    // PE32+
    const std::size_t section = 0x58 + 0xF0;
    bytes.replace(section, 6, ".edata");
    Put(bytes, section + 8, 0x1000);   // virtual size
    Put(bytes, section + 12, 0x1000);  // RVA
    Put(bytes, section + 16, 0x1000);  // raw size
    Put(bytes, section + 20, 0x200);   // file offset
    if (!exported.empty()) {
        Put(bytes, 0xC8, 0x1000);  // export table entry
        Put(bytes, 0x200 + 20, 1);
        Put(bytes, 0x200 + 24, 1);
        Put(bytes, 0x200 + 28, 0x1040);
        Put(bytes, 0x200 + 32, 0x1044);
        Put(bytes, 0x200 + 36, 0x1048);
        Put(bytes, 0x240, 0x1100);  // the function
        Put(bytes, 0x244, 0x1050);  // its name
        bytes.replace(0x250, exported.size(), exported);
        bytes.replace(0x300, payload.size(), payload);
    }
    return bytes.substr(0, cutAt);
}

constexpr std::uint32_t kRuntime11516 = 0x010F0D80;
const std::string kVarnel = "Varnel - SFSE Plugin by Dorrik";

void WriteFile(const fs::path& path, const std::string& bytes)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The Windows path of a local one, as the game would write it in a log.
std::string WindowsPathOf(const fs::path& path)
{
#if defined(_WIN32)
    return PathAsUtf8(fs::absolute(path));
#else
    std::string text = "Z:" + fs::absolute(path).string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
#endif
}

// Now, `shift` seconds on, as "2026-12-10 10:00:00": in UTC as SFSE stamps
// its start, or in local time as the plugin stamps its lines.
std::string StampOf(bool utc, std::int64_t shift = 0)
{
    const std::time_t now = std::time(nullptr) + shift;
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", utc ? std::gmtime(&now) : std::localtime(&now));
    return text;
}

// Lines as the host writes them: its format strings at 0.2.17 filled in,
// each ended by CR LF (its log is a text-mode file); started `ago` seconds ago.
std::string HostLines(const std::vector<std::string>& lines, const std::string& runtime = "010F0D80", std::int64_t ago = 60)
{
    std::string text = "SFSE runtime: initialize (version = 0.2.17 " + runtime + " " + StampOf(true, -ago) +
                       ", os = 10.0 (19045))\r\n"
                       "imagebase = 0000000140000000\r\nreloc mgr imagebase = 0000000140000000\r\n";
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

// Lines as the plugin writes them, each stamped `ago` seconds ago.
std::string PluginLines(const std::vector<std::string>& lines, std::int64_t ago = 50)
{
    std::string text;
    for (const auto& line : lines)
        text += StampOf(false, -ago) + ".250 " + line + "\r\n";
    return text;
}

const std::string kVarnelLine = "plugin Varnel.dll (00000001 " + kVarnel + " 02060000) ";
const std::string kLoadedLine = kVarnelLine + "loaded correctly (handle 1)";
const std::string kLoadLine = kVarnel + " 2.6.0.0 (Varnel.dll), built for Starfield 1.15.216, loaded by the script "
                                        "extender; game image base 0x0000000140000000";
const std::string kInstalledLine =
    "SetRandomName installed in place of TogglePathLine: console command entry 7, opcode 0x00000107";

class InstallationTest : public NameCheckTest {
protected:
    void SetUp() override
    {
        NameCheckTest::SetUp();
        WriteInstallation();
    }

    // A player's disk with all well but the logs: the Steam game, SFSE's
    // files for it, the plugin and its lists.
    void WriteInstallation()
    {
        for (const char* made : {"Game", "Logs", "MO2", "User", "Library"})
            fs::remove_all(made);
        plugins_ = fs::path("Game") / "Data" / "SFSE" / "Plugins";
        fs::create_directories("Game");
        sim::WriteGameExe("Game", sim::kGameRuntime);
        sim::WriteHostFiles("Game", sim::kHostRelease);
        WriteFile(plugins_ / "Varnel.dll", MiniDll(0x8664, "SFSEPlugin_Version", Record(kVarnel, 0x02060000, kRuntime11516)));
        WriteFile(plugins_ / "FemaleNames.txt", "Anna\r\nBeth\r\n");
        WriteFile(plugins_ / "MaleNames.txt", "Carl\r\nDov\r\n");
        fs::create_directories("Logs");
    }

    // The checker's text and its JSON verdict for the game folder.
    struct Answer {
        int status;
        std::string text;
        std::string json;
    };
    static Answer Ask(const fs::path& given = "Game")
    {
        const CheckerRun text = RunWith({"--logs", "Logs", given});
        const CheckerRun json = RunWith({"--json", "--logs", "Logs", given});
        EXPECT_EQ(text.status, json.status);
        return {text.status, text.out, json.out};
    }

    std::string ScannedLine() const
    {
        return "scanning plugin directory " + WindowsPathOf(plugins_) + "\\";
    }

    fs::path plugins_;
};

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// Each row: what the logs hold, and the verdict the checker draws from them.
TEST_F(InstallationTest, EachCaseOfTheLogsGetsItsVerdictAndItsAction)
{
    const std::string dirLine = "plugin directory = " + WindowsPathOf(plugins_) + "\\";
    const std::string otherFolder = "C:\\Users\\Zo\xC3\xAB\\Desktop\\Data\\SFSE\\Plugins\\FemaleNames.txt";
    const std::string ownList = WindowsPathOf(plugins_ / "FemaleNames.txt");
    const std::string missingFailure = "SetRandomName failed: \"Error: name database file couldn't be found in "
                                       "./Data/SFSE/Plugins. Aborting function call.\" then \"Error: int 'NameCount' "
                                       "is out of range. Aborting function call.\"; type code 75; reference 0001A2B3; "
                                       "argument \"female\"; list ";
    struct Row {
        const char* what;
        std::optional<std::string> hostLog;    // nullopt: no sfse.txt
        std::optional<std::string> pluginLog;  // nullopt: no Varnel.log
        int status;
        const char* key;
        std::vector<std::string> said;
    };
    const std::vector<Row> rows = {
        {"all well", HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll", "preinit complete",
                                "loading plugin \"" + kVarnel + "\"", "registering plugin listener for SFSE at 1 of 1",
                                kLoadedLine, "init complete"}),
         PluginLines({kLoadLine, "Listening to the script extender's messages (plugin handle 1)", kInstalledLine,
                      "SetRandomName: 0001A2B3 is now \"Anna\", line 1 of 2 drawn from " + ownList +
                          "; script call \"CGF \\\"Varnel.RenameRefFromCachedData\\\" 0001A2B3\""}),
         0, "all-well", {"Nothing stands in the way of SetRandomName.", "1 command gave a name, 0 failed"}},
        {"another game version; the plugin's log is an older start's",
         HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll",
                    kVarnelLine + "disabled, incompatible with current version of the game 0 (handle 0)", "preinit complete",
                    "init complete"}, "010F0DE0"),
         PluginLines({kLoadLine, "SetRandomName not installed: no \"TogglePathLine\" among the 3 entries"}), 1,
         "host-refused",
         {"SFSE did not load Varnel.dll: disabled, incompatible with current version of the game.",
          "To do: Your game is not runtime 1.15.216", "the game is 1.15.222; Varnel.dll is built for 1.15.216",
          "from an earlier game start", "It lists: Varnel.dll v2.6.0.0: disabled, incompatible with current version of the game"}},
        {"Windows could not load it",
         HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll",
                    "plugin Varnel.dll (00000000  00000000) couldn't load plugin 193 (handle 0)", "preinit complete",
                    "init complete"}),
         std::nullopt, 1, "host-refused",
         {"SFSE did not load Varnel.dll: couldn't load plugin.", "To do: Error 193: it is not a 64-bit DLL, or it is damaged",
          "line 7: Varnel.dll couldn't load plugin 193", "It lists: Varnel.dll: couldn't load plugin (000000C1)"}},
        {"plugins before it failed; its listener was refused this start",
         HostLines({dirLine, ScannedLine(), "checking plugin alpha.dll", "checking plugin beta.dll",
                    "checking plugin Varnel.dll", "plugin beta.dll (00000001 Beta 01000000) no version data 0 (handle 0)",
                    "preinit complete", "loading plugin \"Alpha\"",
                    "plugin alpha.dll (00000001 Alpha 01000000) disabled, fatal error occurred while loading plugin 0 (handle 1)",
                    "loading plugin \"" + kVarnel + "\"", "registering plugin listener for SFSE at 2 of 1",
                    kVarnelLine + "reported as incompatible during load 0 (handle 2)", "init complete"}),
         PluginLines({kLoadLine, "The script extender refused the listener of plugin handle 2. The usual cause is "
                                 "plugins before Varnel.dll in Data\\SFSE\\Plugins that failed to load (see sfse.txt in "
                                 "this folder): SetRandomName will not be offered."}),
         1, "listener-refused",
         {"plugins before it failed in SFSE's loading (alpha.dll)", "To do: Update or remove alpha.dll, then start the game again.",
          "The script extender refused the listener of plugin handle 2."}},
        {"a DLL stopped the scan",
         HostLines({dirLine, ScannedLine(), "checking plugin Helper.dll", "exception occurred while loading plugins",
                    "preinit complete", "init complete"}),
         std::nullopt, 1, "scan-stopped",
         {"Helper.dll stopped SFSE's scan before it reached Varnel.dll.", "To do: Remove Helper.dll from Data\\SFSE\\Plugins"}},
        {"the scanned folder had no Varnel.dll",
         HostLines({dirLine, ScannedLine(), "checking plugin Other.dll", "preinit complete",
                    "init complete"}),
         std::nullopt, 1, "plugin-not-scanned", {"SFSE did not find Varnel.dll in the folder it scanned"}},
        {"another plugin holds the command",
         HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll", kLoadedLine, "init complete"}),
         PluginLines({kLoadLine, "SetRandomName not installed: no \"TogglePathLine\" among the 2874 entries of the "
                                 "console command table. Most likely another plugin has taken or renamed the command."}),
         1, "command-taken", {"SetRandomName did not take over TogglePathLine", "among the 2874 entries"}},
        {"the game was started from another folder",
         HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll", kLoadedLine, "init complete"}),
         PluginLines({kLoadLine, kInstalledLine, missingFailure + otherFolder + " (missing); NameCount 0"}), 1,
         "other-working-folder",
         {"The game looked for its lists in C:\\Users\\Zo\xC3\xAB\\Desktop\\Data\\SFSE\\Plugins, not in ",
          "1 failed"}},
        {"a missing list in the game's own folder goes to the list's verdict",
         HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll", kLoadedLine, "init complete"}),
         PluginLines({kLoadLine, kInstalledLine, missingFailure + ownList + " (missing); NameCount 0"}), 0, "all-well",
         {"(missing); NameCount 0"}},
        {"no sfse.txt", std::nullopt, std::nullopt, 1, "sfse-not-run", {"the game has not been started through SFSE"}},
        // Reading errors: never a verdict on the plugin.
        {"sfse.txt ends while the host starts",
         HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll"}), std::nullopt, 1, "game-ended-loading",
         {"sfse.txt stops at byte ", "the game ended while SFSE was loading plugins"}},
        {"an empty sfse.txt: a plugin ended the game", "", PluginLines({kLoadLine}), 1, "game-ended-loading",
         {"sfse.txt is empty: the game ended while SFSE was loading plugins", "in the last start through SFSE"}},
        {"another file as sfse.txt", "Hello\r\n", std::nullopt, 2, "sfse-not-a-log", {"sfse.txt is not a log SFSE wrote."}},
        {"a Varnel.log cut in its last line",
         HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll", kLoadedLine, "init complete"}),
         PluginLines({kLoadLine, kInstalledLine}) + "edited by hand\r\n" + StampOf(false) + ".000 SetRandomName fa", 0,
         "all-well", {"its last line is cut off", "1 line does not begin with the time the plugin stamps"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove("Logs/sfse.txt");
        fs::remove("Logs/Varnel.log");
        if (row.hostLog)
            WriteFile("Logs/sfse.txt", *row.hostLog);
        if (row.pluginLog)
            WriteFile("Logs/Varnel.log", *row.pluginLog);
        const Answer answer = Ask();
        EXPECT_EQ(answer.status, row.status) << answer.text;
        EXPECT_TRUE(Holds(answer.json, std::string("{\"verdict\": \"") + row.key + "\", \"status\": " +
                                           std::to_string(row.status) + ", ")) << answer.json;
        for (const auto& said : row.said)
            EXPECT_TRUE(Holds(answer.text, said)) << said << "\n" << answer.text;
    }
}

// Each row: a player's disk as it was left (the game's files, SFSE's, a mod
// manager's, the logs), and the verdict drawn from all of it.
TEST_F(InstallationTest, EachInstallationGetsItsVerdict)
{
    const std::string dirLine = "plugin directory = " + WindowsPathOf(plugins_) + "\\";
    const std::string wellLog = HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll", "loading plugin \"" + kVarnel + "\"",
                                           kLoadedLine, "init complete"});
    const std::string wellPluginLog = PluginLines({kLoadLine, kInstalledLine});
    const std::string loaderStart = "SFSE loader: initialize (version = 0.2.17 01010010 " + StampOf(true) + ", os = 10.0 (19045))\r\n";
    const auto moveIntoMod = [&](const fs::path& instance, const std::string& mod, const char* file) {
        WriteFile(instance / "mods" / mod / "SFSE" / "Plugins" / file, ReadFileBytes(plugins_ / file));
    };
    const auto writeInstance = [&](const fs::path& instance) {
        WriteFile(instance / "ModOrganizer.ini", "[General]\r\ngameName=Starfield\r\ngamePath=@ByteArray(" +
                                                     [](std::string path) {
                                                         std::string doubled;
                                                         for (const char c : path)
                                                             doubled += c == '\\' ? "\\\\" : std::string(1, c);
                                                         return doubled;
                                                     }(WindowsPathOf("Game")) +
                                                     ")\r\nselected_profile=@ByteArray(Play)\r\n\r\n[Settings]\r\n");
        WriteFile(instance / "profiles" / "Play" / "modlist.txt", "# This file was automatically generated by Mod Organizer.\r\n"
                                                                  "+Names B\r\n-Names C\r\n+Varnel\r\n+Names A\r\n");
        moveIntoMod(instance, "Varnel", "Varnel.dll");
        moveIntoMod(instance, "Names B", "FemaleNames.txt");
        WriteFile(instance / "mods" / "Names A" / "SFSE" / "Plugins" / "FemaleNames.txt", "\r\n\r\n");
        WriteFile(instance / "mods" / "Names C" / "SFSE" / "Plugins" / "FemaleNames.txt", "\r\n\r\n");
        fs::remove(plugins_ / "Varnel.dll");
        fs::remove(plugins_ / "FemaleNames.txt");
    };
    const fs::path userLogs = fs::path("User") / "Documents" / "My Games" / "Starfield" / "SFSE" / "Logs";
    struct Row {
        const char* what;
        std::function<void()> change;  // to the disk the fixture writes
        std::optional<std::string> hostLog;
        std::optional<std::string> pluginLog;
        std::vector<fs::path> arguments;
        int status;
        const char* key;
        std::vector<std::string> said;
    };
    const std::vector<Row> rows = {
        {"all well", [] {}, wellLog, wellPluginLog, {"--logs", "Logs", "Game"}, 0, "all-well",
         {"game version 1.15.216.0, Steam (Steam's section .bind)", "sfse_1_15_216.dll: SFSE 0.2.17, for game 1.15.216"}},
        {"the game updated past SFSE: the loader stopped, sfse.txt is the last good start's",
         [&] {
             sim::WriteGameExe("Game", sfse::EncodeVersion(1, 16, 236, 0));
             WriteFile("Logs/sfse_loader.txt", loaderStart + "Couldn't find SFSE DLL (C:\\Games\\Starfield\\sfse_1_16_236.dll).\r\nEither "
                                                              "you have not installed SFSE correctly, or a new version of Starfield has been released.\r\n");
         },
         wellLog, wellPluginLog, {"--logs", "Logs", "Game"}, 1, "game-version-other",
         {"The game is 1.16.236; Varnel.dll 2.6.0.0 is built for 1.15.216 only, whatever the logs say.",
          "sfse_1_16_236.dll (the host DLL for this game version) is not there; there is sfse_1_15_216.dll",
          "stopped: \"Couldn't find SFSE DLL (C:\\Games\\Starfield\\sfse_1_16_236.dll). Either you have not"}},
        {"Game Pass", [] { sim::WriteGameExe("Game", sim::kGameRuntime, sim::GameStore::GamePass); WriteFile("Game/appxmanifest.xml", "<Package/>"); },
         std::nullopt, std::nullopt, {"--logs", "Logs", "Game"}, 1, "game-store-unsupported",
         {"Starfield here is the version of Game Pass or the Microsoft Store (it imports XCurl.dll; appxmanifest.xml is beside it)"}},
        {"Game Pass in a library the player named", [] {
             fs::create_directories("Library/Starfield/Content");
             WriteFile("Library/.GamingRoot", "RGBX");
             sim::WriteGameExe("Library/Starfield/Content", sim::kGameRuntime, sim::GameStore::GamePass);
             WriteFile("Library/Starfield/Content/MicrosoftGame.config", "<Game/>");
         },
         std::nullopt, std::nullopt, {"--logs", "Logs", "Library/Starfield/Content"}, 1, "game-store-unsupported",
         {"MicrosoftGame.config is beside it", "its drive holds a Game Pass library ("}},
        {"Epic", [] { sim::WriteGameExe("Game", sim::kGameRuntime, sim::GameStore::Epic); }, wellLog, wellPluginLog,
         {"--logs", "Logs", "Game"}, 1, "game-store-unsupported", {"the version of the Epic Games Store"}},
        {"no sfse_loader.exe", [] { fs::remove("Game/sfse_loader.exe"); }, wellLog, wellPluginLog, {"--logs", "Logs", "Game"}, 1,
         "sfse-loader-missing", {"sfse_loader.exe is not in "}},
        {"the host DLL of another release renamed", [] { sim::WriteHostDll("Game/sfse_1_15_216.dll", sim::kHostReleases[1], sim::kHostReleases[1].runtime); },
         wellLog, wellPluginLog, {"--logs", "Logs", "Game"}, 1, "sfse-dll-wrong",
         {"sfse_1_15_216.dll is built for another game version: SFSE's loader will stop with \"Bad SFSE DLL\"."}},
        {"the host DLL missing", [] { fs::remove("Game/sfse_1_15_216.dll"); }, wellLog, wellPluginLog, {"--logs", "Logs", "Game"}, 1,
         "sfse-dll-missing", {"sfse_1_15_216.dll is not in ", "\"Couldn't find SFSE DLL\""}},
        {"SFSE offered no messaging interface", [] {},
         HostLines({dirLine, ScannedLine(), "loading plugin \"" + kVarnel + "\"", kVarnelLine + "reported as incompatible during load 0 (handle 1)", "init complete"}),
         PluginLines({kLoadLine, "The script extender offers no messaging interface (id 1): SetRandomName will not be offered."}),
         {"--logs", "Logs", "Game"}, 1, "not-offered",
         {"SFSE 0.2.17 did not offer what Varnel.dll needs", "SFSE 0.2.17 on game 1.15.216 offers it: report this"}},
        {"a list of blank lines", [&] { WriteFile(plugins_ / "MaleNames.txt", "\r\n\r\n"); }, wellLog, wellPluginLog,
         {"--logs", "Logs", "Game"}, 1, "list-problem", {"MaleNames.txt: "}},
        {"sfse_loader.txt newer than sfse.txt ends in an error",
         [&] { WriteFile("Logs/sfse_loader.txt", loaderStart + "launching: Starfield.exe (C:\\Games\\Starfield\\Starfield.exe)\r\nCouldn't inject DLL.\r\nterminating process\r\n"); },
         HostLines({dirLine, ScannedLine(), kLoadedLine, "init complete"}, "010F0D80", 3600), wellPluginLog, {"--logs", "Logs", "Game"}, 1,
         "loader-stopped", {"SFSE's loader stopped the last start (", "\"Couldn't inject DLL.\"", "most often an antivirus",
                            "from an earlier start than the loader's last run"}},
        {"Varnel.log of a start two days ago", [] {}, HostLines({dirLine, ScannedLine(), kLoadedLine, "init complete"}),
         PluginLines({kLoadLine, "SetRandomName not installed: no \"TogglePathLine\" among the 2874 entries"}, std::int64_t{2} * 86400),
         {"--logs", "Logs", "Game"}, 0, "all-well", {"from an earlier game start (", "it decides nothing about the last one"}},
        {"a second copy loaded", [] {}, HostLines({dirLine, ScannedLine(), kLoadedLine, "plugin Varnel - Copy.dll (00000001 " + kVarnel + " 02060000) loaded correctly (handle 2)", "init complete"}),
         wellPluginLog, {"--logs", "Logs", "Game"}, 1, "second-copy", {"SFSE loaded Varnel.dll twice: Varnel - Copy.dll is a copy of it."}},
        {"Varnel.dll gone between the scan and the load",
         [] {}, HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll", "loading plugin \"" + kVarnel + "\"",
                           kVarnelLine + "couldn't load plugin 126 (handle 0)", "init complete"}),
         std::nullopt, {"--logs", "Logs", "Game"}, 1, "host-refused", {"the file went away between SFSE's scan and its load", "(0000007E)"}},
        {"Varnel.dll missing at the scan", [] {},
         HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll", "plugin Varnel.dll (00000000  00000000) couldn't load plugin 126 (handle 0)", "init complete"}),
         std::nullopt, {"--logs", "Logs", "Game"}, 1, "host-refused", {"Error 126 at the scan, which resolves no imports"}},
        {"another plugin's start-up code failed; the box's facts", [] {},
         HostLines({dirLine, ScannedLine(), "loading plugin \"Other\"", "plugin other.dll (00000001 Other 00000003) couldn't load plugin 1114 (handle 1)",
                    "plugin access.dll (00000001 Access 00000000) couldn't load plugin 5 (handle 2)", kLoadedLine, "init complete"}),
         wellPluginLog, {"--logs", "Logs", "Game"}, 1, "other-plugins-failed",
         {"SFSE's box lists plugins that failed to load (other.dll, access.dll): it comes at every start",
          "To do: Press No to play on without them; remove or update other.dll, access.dll to be rid of the box.",
          "It lists: other.dll v3: couldn't load plugin (0000045A); access.dll: couldn't load plugin (00000005)",
          "No plays on without them, Yes ends the game", "other.dll: error 1114: its start-up code failed; update or remove it",
          "access.dll: error 5: access denied"}},
        {"sfse.txt cut in the middle of Varnel.dll's line", [] {}, HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll"}) + "plugin Varnel.dll (00000001 Varn",
         std::nullopt, {"--logs", "Logs", "Game"}, 1, "game-ended-loading", {"its last line, cut off, is Varnel.dll's: plugin Varnel.dll (00000001 Varn"}},
        {"a folder in the ANSI code page in sfse.txt", [] {},
         HostLines({"plugin directory = C:\\Users\\Zo\xEB\\Games\\Starfield\\Data\\SFSE\\Plugins\\", kLoadedLine, "init complete"}), wellPluginLog,
         {"--logs", "Logs", "Game"}, 0, "all-well", {"scanning C:\\Users\\Zo\xC3\xAB\\Games"}},
        {"refused in its load with no plugin failing before it", [] {},
         HostLines({dirLine, ScannedLine(), "plugin early.dll (00000000  00000000) no version data 0 (handle 0)", "loading plugin \"" + kVarnel + "\"",
                    kVarnelLine + "reported as incompatible during load 0 (handle 1)", "init complete"}),
         std::nullopt, {"--logs", "Logs", "Game"}, 1, "host-refused",
         {"No plugin failed before it, and SFSE 0.2.17 on game 1.15.216 offers what it needs: Varnel.log says why"}},
        {"sfse.txt cut at a block's end", [] {}, [&] {
             std::string cut = HostLines({dirLine, ScannedLine(), "checking plugin Varnel.dll"});
             cut.resize(4096, 'x');
             return cut;
         }(), std::nullopt, {"--logs", "Logs", "Game"}, 1, "game-ended-loading", {"stops at byte 4096 (a multiple of 4096)"}},
        {"sfse.txt re-saved as UTF-16", [] {}, [&] {
             std::string wide = "\xFF\xFE";
             for (const char c : wellLog)
                 wide += std::string(1, c) + '\0';
             return wide;
         }(), wellPluginLog, {"--logs", "Logs", "Game"}, 0, "all-well", {"re-saved as UTF-16 (little-endian)", "Varnel.dll loaded correctly"}},
        {"sfse.txt re-saved with a byte-order mark", [] {}, "\xEF\xBB\xBF" + wellLog, wellPluginLog, {"--logs", "Logs", "Game"}, 0,
         "all-well", {"re-saved as UTF-8 with a byte-order mark"}},
        {"a folder named sfse.txt", [] { fs::create_directories("Logs/sfse.txt"); }, std::nullopt, std::nullopt,
         {"--logs", "Logs", "Game"}, 2, "sfse-not-a-log", {"a folder of that name"}},
        {"Mod Organizer 2, portable: two mods give the same list", [&] { writeInstance("MO2"); }, wellLog, wellPluginLog,
         {"--logs", "Logs", "MO2"}, 0, "all-well",
         {"the Mod Organizer 2 instance given; profile \"Play\", 3 mods enabled", "from the mod \"Varnel\" of Mod Organizer 2's profile \"Play\"",
          "from the mod \"Names B\"", "also in Names A"}},
        {"Mod Organizer 2, a global instance of this game", [&] {
             writeInstance(fs::path("User") / "AppData" / "Local" / "ModOrganizer" / "Starfield");
             WriteFile(userLogs / "sfse.txt", wellLog);
             WriteFile(userLogs / "Varnel.log", wellPluginLog);
         }, wellLog, wellPluginLog, {"--logs", PathAsUtf8(userLogs), "Game"}, 0, "all-well",
         {"a global instance of Mod Organizer 2 whose game is this one", "from the mod \"Varnel\""}},
        {"a mod manager put it in without Mod Organizer's files", [&] { fs::remove(plugins_ / "Varnel.dll"); }, wellLog, wellPluginLog,
         {"--logs", "Logs", "Game"}, 0, "all-well", {"yet the last start loaded it: it came through a mod manager"}},
        {"folders and files in another letter case", [&] {
             // Through another name: Wine keeps a name that differs only in letter case.
             const auto rename = [](const fs::path& from, const fs::path& to) {
                 fs::rename(from, fs::path(from) += ".renamed");
                 fs::rename(fs::path(from) += ".renamed", to);
             };
             rename("Game/Data", "Game/data");
             rename("Game/data/SFSE", "Game/data/sfse");
             rename("Game/data/sfse/Plugins", "Game/data/sfse/plugins");
             rename("Game/data/sfse/plugins/Varnel.dll", "Game/data/sfse/plugins/varnel.dll");
             rename("Game/data/sfse/plugins/FemaleNames.txt", "Game/data/sfse/plugins/femalenames.txt");
         }, wellLog, wellPluginLog, {"--logs", "Logs", "Game"}, 0, "all-well",
         {"plugins" + std::string(1, fs::path::preferred_separator) + "varnel.dll", "femalenames.txt: 2 lines, 2 names"}},
        {"--logs naming the SFSE folder above Logs", [&] { WriteFile(userLogs / "sfse.txt", wellLog); }, std::nullopt, std::nullopt, {"--logs", PathAsUtf8(userLogs.parent_path()), "Game"}, 0, "all-well", {"Varnel.dll loaded correctly"}},
        {"--logs naming sfse.txt itself", [] {}, wellLog, std::nullopt, {"--logs", "Logs/sfse.txt", "Game"}, 0, "all-well",
         {"Varnel.dll loaded correctly"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteInstallation();
        row.change();
        if (row.hostLog)
            WriteFile("Logs/sfse.txt", *row.hostLog);
        if (row.pluginLog)
            WriteFile("Logs/Varnel.log", *row.pluginLog);
        std::vector<fs::path> json = row.arguments;
        json.insert(json.begin(), "--json");
        const CheckerRun text = RunWith(row.arguments);
        const CheckerRun answer = RunWith(json);
        EXPECT_EQ(text.status, row.status) << text.out;
        EXPECT_TRUE(Holds(answer.out, std::string("{\"verdict\": \"") + row.key + "\", \"status\": " + std::to_string(row.status) + ", "))
            << answer.out;
        for (const auto& said : row.said)
            EXPECT_TRUE(Holds(text.out, said)) << said << "\n" << text.out;
    }
    // --logs naming what is not there is a mistake in the command.
    const CheckerRun nowhere = RunWith({"--logs", "Nowhere", "Game"});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_TRUE(Holds(nowhere.err, "--logs: Nowhere does not exist")) << nowhere.err;
}

// What cannot be read, or where the logs are not known, decides nothing on
// the plugin: exit status 2, and what to do about the reading.
TEST_F(InstallationTest, AFileThatCannotBeReadDecidesNothing)
{
    WriteFile("Logs/sfse.txt", HostLines({"plugin directory = " + WindowsPathOf(plugins_) + "\\", ScannedLine(), kLoadedLine, "init complete"}));
    WriteFile("Logs/Varnel.log", PluginLines({kLoadLine, kInstalledLine}));
#if defined(_WIN32)
    const std::vector<std::pair<fs::path, const char*>> rows = {
        {plugins_ / "Varnel.dll", "plugin-unreadable"}, {"Logs/sfse.txt", "sfse-unreadable"}, {"Logs/Varnel.log", "log-unreadable"}};
    for (const auto& [path, key] : rows) {
        SCOPED_TRACE(key);
        // Held open with no sharing, as a program that has it open may hold it.
        const HANDLE held = CreateFileW(fs::absolute(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const Answer answer = Ask();
        CloseHandle(held);
        EXPECT_EQ(answer.status, 2) << answer.text;
        EXPECT_TRUE(Holds(answer.json, std::string("{\"verdict\": \"") + key + "\", \"status\": 2, ")) << answer.json;
    }
#else
    // No --logs, no Proton prefix beside the game: nowhere to look on Linux.
    const CheckerRun run = RunWith({"Game"});
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_TRUE(Holds(run.out, "The logs folder of SFSE is not known here.\n  To do: Name it with --logs FOLDER")) << run.out;
    EXPECT_TRUE(Holds(RunWith({"--json", "Game"}).out, "{\"verdict\": \"logs-unknown\", \"status\": 2, "));
#endif
}

// sfse_loader.txt as 0.2.17's loader writes it: a stop's message with its
// own lines, or "launching" at the end of a run that started the game.
TEST_F(InstallationTest, TheLoadersLogIsReadByItsFormatStrings)
{
    const std::string start = "SFSE loader: initialize (version = 0.2.17 01010010 2026-12-10 09:59:58, os = 10.0 (19045))\r\n";
    struct Row {
        const char* what;
        std::string text;
        LoaderLogState state;
        bool launched;
        std::string stop;  // the stop's text, empty for none
    };
    const std::vector<Row> rows = {
        {"a start", start + "procPath = C:\\Games\\Starfield\\Starfield.exe\r\nsteam exe\r\nmain thread id = 2204\r\nlaunching\r\n",
         LoaderLogState::Read, true, ""},
        {"the host DLL missing, its six lines",
         start + "dll = C:\\S\\sfse_1_16_236.dll\r\nCouldn't find SFSE DLL (C:\\S\\sfse_1_16_236.dll).\r\nEither a\r\nPlease b\r\nIf c\r\n"
                 "You have game version 1.16.236 installed. The loader is not lying to you.\r\nCheck d\r\n",
         LoaderLogState::Read, false,
         "Couldn't find SFSE DLL (C:\\S\\sfse_1_16_236.dll). Either a Please b If c You have game version 1.16.236 installed. The "
         "loader is not lying to you. Check d"},
        {"Game Pass, then IdentifyEXE's own line", start + "winstore exe\r\nThe Windows Store (gamepass) version of Starfield is not supported.\r\nunknown exe\r\n",
         LoaderLogState::Read, false, "The Windows Store (gamepass) version of Starfield is not supported."},
        {"cut before it ended", start + "procPath = C:\\Games\\Star", LoaderLogState::Read, false, ""},
        {"another file", "sfse_loader 0.2.17\r\n", LoaderLogState::NotLoaderLog, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteFile("Logs/sfse_loader.txt", row.text);
        const LoaderLog log = ReadLoaderLog("Logs/sfse_loader.txt");
        EXPECT_EQ(log.state, row.state);
        EXPECT_EQ(log.launched, row.launched);
        EXPECT_EQ(log.stopText, row.stop);
        EXPECT_EQ(log.stop != nullptr, !row.stop.empty());
        if (row.state == LoaderLogState::Read) {
            EXPECT_EQ(log.release, "0.2.17");
            EXPECT_EQ(log.started, UtcStampSeconds("2026-12-10 09:59:58"));
        }
    }
    EXPECT_EQ(ReadLoaderLog("Logs/none.txt").state, LoaderLogState::Missing);
}

// ModOrganizer.ini as QSettings writes it, modlist.txt as the profile does.
TEST_F(InstallationTest, ModOrganizersFilesAreReadAsItWritesThem)
{
    WriteFile("MO2/ModOrganizer.ini", "[General]\r\ngamePath=@ByteArray(C:\\\\Games\\\\Starfield)\r\nselected_profile=\"@ByteArray(My Play)\"\r\n"
                                      "[Settings]\r\nmod_directory=%BASE_DIR%/Mods Here\r\n");
    WriteFile("MO2/profiles/My Play/modlist.txt", "# written by Mod Organizer\r\n+Top\r\n-Off\r\n*Unmanaged\r\nPlain\r\n+  \r\n");
    WriteFile("MO2/Mods Here/Plain/SFSE/Plugins/Varnel.dll", "low");
    WriteFile("MO2/Mods Here/Off/SFSE/Plugins/Varnel.dll", "off");
    const auto instance = ReadModOrganizerInstance("MO2");
    ASSERT_TRUE(instance.has_value());
    EXPECT_EQ(instance->gamePath, "C:\\Games\\Starfield");
    EXPECT_EQ(instance->profile, "My Play");
    EXPECT_EQ(instance->enabledMods, (std::vector<std::string>{"Top", "Unmanaged", "Plain"}));
    auto provided = ProvidedByMods(*instance, fs::path("SFSE") / "Plugins" / "Varnel.dll");
    ASSERT_TRUE(provided.has_value());
    EXPECT_EQ(provided->mod, "Plain");
    WriteFile("MO2/overwrite/SFSE/Plugins/varnel.dll", "newest");
    WriteFile("MO2/Mods Here/Top/sfse/plugins/VARNEL.DLL", "top");
    provided = ProvidedByMods(*instance, fs::path("SFSE") / "Plugins" / "Varnel.dll");
    ASSERT_TRUE(provided.has_value());
    EXPECT_EQ(provided->mod, "overwrite");
    EXPECT_EQ(provided->alsoIn, (std::vector<std::string>{"Top", "Plain"}));
    EXPECT_FALSE(ReadModOrganizerInstance("Logs").has_value());
}

// Stamps of the two clocks, and text of the ANSI code page.
TEST(InstallationText, StampsAndCodePagesReadAsWritten)
{
    EXPECT_EQ(UtcStampSeconds("1970-01-01 00:00:00"), 0);
    EXPECT_EQ(UtcStampSeconds("2026-12-10 10:00:00"), 1796896800);
    EXPECT_EQ(UtcStampSeconds("2024-02-29 23:59:59"), 1709251199);
    for (const char* wrong : {"2026-13-10 10:00:00", "2026-12-10 10:00", "2026-12-10T10:00:00", "20x6-12-10 10:00:00"})
        EXPECT_FALSE(UtcStampSeconds(wrong).has_value()) << wrong;
    EXPECT_EQ(UtcStampText(1796896800), "2026-12-10 10:00:00");
    EXPECT_EQ(UtcStampText(1709251199), "2024-02-29 23:59:59");
    const std::time_t now = std::time(nullptr);
    char local[32] = {};
    std::strftime(local, sizeof local, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    EXPECT_EQ(LocalStampSeconds(local), now);

    EXPECT_EQ(AnsiAsUtf8("C:\\Users\\Zo\xC3\xAB"), "C:\\Users\\Zo\xC3\xAB");  // UTF-8 already
#if !defined(_WIN32)
    EXPECT_EQ(AnsiAsUtf8("Zo\xEB \x80"), "Zo\xC3\xAB \xE2\x82\xAC");
#endif
    HostPluginLine line;
    line.file = "other.dll";
    line.reason = "couldn't load plugin";
    line.code = "-1";
    line.pluginVersion = 0x01020030;
    EXPECT_EQ(BoxLine(line), "other.dll v1.2.3.0: couldn't load plugin (FFFFFFFF)");
}

TEST_F(InstallationTest, PluginFileIsReadAsTheHostReadsIt)
{
    const std::string record = Record(kVarnel, 0x02060000, kRuntime11516);
    struct Row {
        const char* what;
        std::string bytes;
        PluginFileState state;
    };
    const std::vector<Row> rows = {
        {"a text file", "Anna\r\n", PluginFileState::NotADll},
        {"a 32-bit DLL", MiniDll(0x014C, "SFSEPlugin_Version", record), PluginFileState::Not64Bit},
        {"no export table", MiniDll(0x8664, "", record), PluginFileState::NoExports},
        {"other exports", MiniDll(0x8664, "SFSEPlugin_Load", record), PluginFileState::NoRecord},
        {"a name that only begins alike", MiniDll(0x8664, "SFSEPlugin_VersionX", record), PluginFileState::NoRecord},
        {"a record cut by the file's end", MiniDll(0x8664, "SFSEPlugin_Version", record, 0x300 + 0x200), PluginFileState::NoRecord},
        {"a header cut short", MiniDll(0x8664, "SFSEPlugin_Version", record, 0x50), PluginFileState::NotADll},
        {"the record", MiniDll(0x8664, "SFSEPlugin_Version", record), PluginFileState::Read},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteFile("Some.dll", row.bytes);
        EXPECT_EQ(ReadPluginFile("Some.dll").state, row.state);
    }
    const PluginFile read = ReadPluginFile(plugins_ / "Varnel.dll");
    EXPECT_TRUE(IsThisPlugin(read.record));
    EXPECT_EQ(sfse::VersionText(read.record.pluginVersion, true), "2.6.0.0");
    EXPECT_EQ(ListedRuntimes(read.record), std::vector<std::uint32_t>{kRuntime11516});
    EXPECT_EQ(ReadPluginFile("None.dll").state, PluginFileState::Missing);

    // Another plugin's DLL under this one's name.
    WriteFile(plugins_ / "Varnel.dll", MiniDll(0x8664, "SFSEPlugin_Version", Record("Other", 1, kRuntime11516)));
    WriteFile("Logs/sfse.txt", HostLines({"init complete"}));
    const Answer other = Ask();
    EXPECT_EQ(other.status, 1);
    EXPECT_TRUE(Holds(other.text, "is not this plugin.\n  To do: Reinstall the zip.")) << other.text;
    EXPECT_TRUE(Holds(other.json, "{\"verdict\": \"not-this-plugin\", \"status\": 1, ")) << other.json;
}

TEST_F(InstallationTest, TheInstallationIsFoundFromWhatIsDropped)
{
    WriteFile("Logs/sfse.txt", HostLines({"plugin directory = " + WindowsPathOf(plugins_) + "\\", ScannedLine(),
                                          kLoadedLine, "init complete"}));
    EXPECT_TRUE(NamesInstallation("Game"));
    EXPECT_TRUE(NamesInstallation(plugins_));
    EXPECT_TRUE(NamesInstallation("Logs/sfse.txt"));
    EXPECT_FALSE(NamesInstallation("Logs"));
    // The Plugins folder and sfse.txt lead to the game folder (sfse.txt by
    // the folder SFSE scanned), and sfse.txt to its own logs folder.
    EXPECT_EQ(Ask(plugins_).status, 0);
    const CheckerRun fromLog = RunWith({"Logs/sfse.txt"});
    EXPECT_EQ(fromLog.status, 0) << fromLog.out;
    EXPECT_TRUE(Holds(fromLog.out, "FemaleNames.txt: 2 lines, 2 names")) << fromLog.out;

    // Installed since the game last ran through SFSE.
    fs::last_write_time(plugins_ / "Varnel.dll", fs::file_time_type::clock::now() + std::chrono::hours(1));
    EXPECT_TRUE(Holds(Ask().json, "{\"verdict\": \"sfse-older-than-plugin\", \"status\": 1, "));

    // The plugin where the game never looks.
    fs::rename(plugins_ / "Varnel.dll", "Game/Data/Varnel.dll");
    const Answer stray = Ask();
    EXPECT_EQ(stray.status, 1);
    EXPECT_TRUE(Holds(stray.text, "Game" + std::string(1, fs::path::preferred_separator) + "Data, a folder the game does not read.")) << stray.text;
    EXPECT_TRUE(Holds(stray.json, "{\"verdict\": \"plugin-in-wrong-folder\", \"status\": 1, ")) << stray.json;
    // Gone, and not loaded by the last start either.
    fs::remove("Game/Data/Varnel.dll");
    WriteFile("Logs/sfse.txt", HostLines({"plugin directory = " + WindowsPathOf(plugins_) + "\\", ScannedLine(), "init complete"}));
    EXPECT_TRUE(Holds(Ask().json, "{\"verdict\": \"plugin-missing\", \"status\": 1, "));

    // Usage.
    EXPECT_EQ(RunWith({"--logs", "Logs", "Game", "Game"}).status, 2);
    EXPECT_EQ(RunWith({"--logs", "Logs", "Game/Data/SFSE/Plugins/FemaleNames.txt"}).status, 2);
}

TEST_F(InstallationTest, APluginUnpackedWithTheArchivesOlderTimeCountsFromWhenItWasPut)
{
#if defined(_WIN32)
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr)
        GTEST_SKIP() << "Wine gives a file's last-write time as its creation time";
#endif
    WriteFile("Logs/sfse.txt", HostLines({kLoadedLine, "init complete"}));
    fs::last_write_time("Logs/sfse.txt", fs::file_time_type::clock::now() - std::chrono::hours(2));
    const std::string dll = ReadFileBytes(plugins_ / "Varnel.dll");
    fs::remove(plugins_ / "Varnel.dll");
    WriteFile(plugins_ / "Varnel.dll", dll);
    fs::last_write_time(plugins_ / "Varnel.dll", fs::file_time_type::clock::now() - std::chrono::hours(3));
    EXPECT_TRUE(Holds(Ask().json, "{\"verdict\": \"sfse-older-than-plugin\", \"status\": 1, "));
}

TEST_F(InstallationTest, SteamOnLinuxKeepsTheLogsInProtonsPrefix)
{
    const fs::path steamapps = fs::path("Steam") / "steamapps";
    const fs::path game = steamapps / "common" / "Starfield";
    fs::create_directories(game);
    fs::rename("Game/Data", game / "Data");
    fs::rename("Game/Starfield.exe", game / "Starfield.exe");
    sim::WriteHostFiles(game, sim::kHostRelease);
    const fs::path user = steamapps / "compatdata" / "1716740" / "pfx" / "drive_c" / "users" / "steamuser";
    const fs::path logs = user / "My Documents" / "My Games" / "Starfield" / "SFSE" / "Logs";
    WriteFile(logs / "sfse.txt", HostLines({kLoadedLine, "init complete"}));
    WriteFile(logs / "Varnel.log", PluginLines({kLoadLine, kInstalledLine}));
    const Installation found = FindInstallation(game, std::nullopt);
    ASSERT_TRUE(found.logsFolder.has_value());
    EXPECT_TRUE(SamePlace(*found.logsFolder, logs));
    const CheckerRun run = RunWith({game});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(Holds(run.out, "found in Steam's Proton prefix of Starfield (app 1716740)")) << run.out;
}

// The README's table of the host's reasons is the one the checker answers from.
TEST(InstallationReadme, TheReasonsTableIsTheCheckersTable)
{
    std::ifstream readme(VARNEL_PROJECT_README);
    std::vector<std::pair<std::string, std::string>> rows;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("| `", 0) != 0 || line.find("` | ") == std::string::npos)
            continue;
        std::string cells = line.substr(3, line.size() - 5);
        cells.erase(std::remove(cells.begin(), cells.end(), '*'), cells.end());
        const std::size_t split = cells.find("` | ");
        std::string action = cells.substr(split + 4);
        action.erase(std::remove(action.begin(), action.end(), '`'), action.end());
        rows.emplace_back(cells.substr(0, split), action);
    }
    std::size_t matched = 0;
    for (std::size_t i = 0; i < kHostReasonCount; ++i) {
        const HostReason& reason = kHostReasons[i];
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.first == reason.reason; });
        ASSERT_NE(row, rows.end()) << reason.reason;
        EXPECT_EQ(row->second, reason.action);
        ++matched;
    }
    EXPECT_EQ(matched, kHostReasonCount);
}

// The README's table of verdicts is the checker's, row by row in its order,
// the parts filled in from a disk in italics.
TEST(InstallationReadme, TheVerdictTableIsTheCheckersTable)
{
    std::ifstream readme(VARNEL_PROJECT_README);
    std::vector<std::string> rows;
    for (std::string line; std::getline(readme, line);) {
        const std::size_t second = line.find("` | ");
        if (line.rfind("| `", 0) != 0 || second == std::string::npos || line.size() < second + 6 || line[second + 5] != ' ' ||
            line[second + 4] < '0' || line[second + 4] > '2')
            continue;
        std::string row;
        bool open = false;
        for (const char c : line)
            row += c != '*' ? std::string(1, c) : std::string((open = !open) ? "<" : ">");
        rows.push_back(row);
    }
    ASSERT_EQ(rows.size(), kVerdictCount);
    for (std::size_t i = 0; i < kVerdictCount; ++i) {
        const Verdict& verdict = kVerdicts[i];
        EXPECT_EQ(rows[i], "| `" + std::string(verdict.key) + "` | " + std::to_string(ExitStatusOf(verdict.status)) + " | " + verdict.text +
                               " | " + verdict.action + " |");
    }
}
