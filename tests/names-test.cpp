#include "src/names/list_file.h"
#include "src/names/name_list.h"
#include "src/names/random_number.h"
#include "support/failing_allocator.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace varnel;  // the product under test

namespace {

using namespace std::string_literals;

// `count` names of 10 bytes each with their line feed.
std::string ManyNames(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += "Name" + std::to_string(10000 + i % 90000) + "\n";
    return bytes;
}

constexpr ListCount kMissing{.lines = 0, .missing = true};
constexpr ListCount Lines(std::int32_t lines) { return {.lines = lines, .missing = false}; }

class NameListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch_ = EnterScratchFolder();
    }
    void TearDown() override { LeaveScratchFolder(scratch_); }

private:
    ScratchFolder scratch_;
};

struct ListCase {
    const char* what;
    std::string bytes;
    std::int32_t count;
    std::vector<std::string> nameAtLine;  // index 0 is line 1; one entry past the last line
};

std::vector<ListCase> ListCases()
{
    return {
        {"empty file", "", 0, {""}},
        {"LF ends", "Anna\nBeth\n", 2, {"Anna", "Beth", ""}},
        {"no final line feed", "Anna\nBeth", 2, {"Anna", "Beth", ""}},
        {"CR LF ends", "Anna\r\nBeth\r\n", 2, {"Anna", "Beth", ""}},
        {"empty line in the middle", "Anna\n\nBeth\n", 3, {"Anna", "Beth", "Beth", ""}},
        {"empty CR LF lines", "\r\n\r\nAnna", 3, {"Anna", "Anna", "Anna", ""}},
        {"empty lines at the end", "Anna\n\n\n", 3, {"Anna", "", "", ""}},
        {"a lone line feed", "\n", 1, {"", ""}},
        {"lone CR stays in the line", "Anna\rBeth\n", 1, {"Anna\rBeth", ""}},
        {"CR at the end of the file stays", "Anna\r", 1, {"Anna\r", ""}},
        {"only the CR right before LF goes", "Anna\r\r\nBeth", 2, {"Anna\r", "Beth", ""}},
        {"0x1A ends the input", "Anna\n\x1A"s "Beth\n", 1, {"Anna", ""}},
        {"0x1A inside a line", "Anna\nBe\x1A"s "th\nCara\n", 2, {"Anna", "Be", ""}},
        {"0x1A first", "\x1A"s "Anna\n", 0, {""}},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF"s "Anna\nBeth\n", 2, {"\xEF\xBB\xBF"s "Anna", "Beth", ""}},
        {"NUL inside a line", "An\0na\nBeth\n"s, 2, {"An", "Beth", ""}},
        {"NUL starting a line", "\0Anna\nBeth\n"s, 2, {"", "Beth", ""}},
        {"blanks are kept", "  Anna \n   \n\tBeth\n", 3, {"  Anna ", "   ", "\tBeth", ""}},
        {"CR LF split across chunks", std::string(65535, 'x') + "\r\nBeth\n", 2,
         {std::string(65535, 'x'), "Beth", ""}},
        // The first read takes 64 KiB (65536 bytes); the input must end at a
        // 0x1A wherever it falls, and stay ended in the reads after it.
        {"0x1A early in a long list", "Anna\n\x1A"s + ManyNames(20000), 1, {"Anna", ""}},
        {"0x1A last byte of the first read", std::string(65534, 'x') + "\n\x1A"s + ManyNames(20000), 1,
         {std::string(65534, 'x'), ""}},
        {"0x1A first byte of the second read", std::string(65535, 'x') + "\n\x1A"s + ManyNames(20000), 1,
         {std::string(65535, 'x'), ""}},
        {"0x1A in the third read", ManyNames(20000) + "\x1A"s + ManyNames(20000), 20000, {}},
    };
}

TEST_F(NameListTest, CountsAndReadsEveryLineAsTextModeDoes)
{
    for (const auto& list : ListCases()) {
        SCOPED_TRACE(list.what);
        WriteNameList("FemaleNames.txt", list.bytes);
        EXPECT_EQ(CountNames("FemaleNames.txt"), Lines(list.count));
        for (std::size_t i = 0; i < list.nameAtLine.size(); ++i)
            EXPECT_EQ(ReadNameAt("FemaleNames.txt", static_cast<std::int32_t>(i + 1)), list.nameAtLine[i])
                << "line " << i + 1;
    }
}

TEST_F(NameListTest, LongListsReadAcrossChunkBoundaries)
{
    std::string bytes;
    constexpr int kNames = 30000;
    for (int i = 1; i <= kNames; ++i)
        bytes += "Name" + std::to_string(100000 + i) + (i % 3 == 0 ? "\r\n" : "\n");
    WriteNameList("MaleNames.txt", bytes);
    EXPECT_EQ(CountNames("MaleNames.txt"), Lines(kNames));
    for (int line : {1, 6553, 6554, 6555, 13107, 20000, 29999, kNames})
        EXPECT_EQ(ReadNameAt("MaleNames.txt", line), "Name" + std::to_string(100000 + line)) << line;
    EXPECT_EQ(ReadNameAt("MaleNames.txt", kNames + 1), "");
}

TEST_F(NameListTest, LineFeedsAreCountedPastEveryByteCounterLimit)
{
    // Line feeds are counted sixteen bytes at a time in byte-wide counters:
    // runs of them far longer than 255 per lane must still all count.
    struct Case {
        const char* what;
        std::string bytes;
        std::int32_t count;
        std::vector<std::pair<std::int32_t, std::string>> names;  // line number, name there
    };
    std::string sixteen;
    for (int i = 0; i < 20000; ++i)
        sixteen += "Name" + std::to_string(10000000000LL + i) + "\n";  // 16 bytes a line
    const Case cases[] = {
        {"line feeds only", std::string(100000, '\n'), 100000, {{1, ""}, {100000, ""}}},
        {"line feeds, then a name", std::string(70000, '\n') + "Last\n", 70001,
         {{1, "Last"}, {70000, "Last"}, {70001, "Last"}, {70002, ""}}},
        {"lines of sixteen bytes", sixteen, 20000,
         {{1, "Name10000000000"}, {4081, "Name10000004080"}, {19999, "Name10000019998"}, {20001, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteNameList("MaleNames.txt", c.bytes);
        EXPECT_EQ(CountNames("MaleNames.txt"), Lines(c.count));
        for (const auto& [line, name] : c.names)
            EXPECT_EQ(ReadNameAt("MaleNames.txt", line), name) << "line " << line;
    }
}

TEST_F(NameListTest, ReadNestedInALineVisitorLeavesTheOuterReadIntact)
{
    const std::string outer = WriteNameList("FemaleNames.txt", ManyNames(30000));
    const std::string inner = WriteNameList("MaleNames.txt", std::string(200000, 'y') + "\nInner\n");
    std::vector<std::string> seen;
    ASSERT_TRUE(VisitLinesInFile(outer, [&](const std::string& line) {
        seen.push_back(line);
        if (seen.size() % 5000 == 1) {
            EXPECT_EQ(ReadNameAtInFile(inner, 2), "Inner");
        }
    }));
    ASSERT_EQ(seen.size(), 30000U);
    for (std::size_t i = 0; i < seen.size(); ++i)
        ASSERT_EQ(seen[i], "Name" + std::to_string(10000 + i)) << "line " << i + 1;
}

TEST_F(NameListTest, VisitingAnswersFalseWhenTheListCannotBeReadOrAVisitThrows)
{
    const std::string list = WriteNameList("FemaleNames.txt", "Anna\nBeth\n");
    std::vector<std::string> seen;
    EXPECT_TRUE(VisitLinesInFile(list, [&](const std::string& line) { seen.push_back(line); }));
    EXPECT_EQ(seen, (std::vector<std::string>{"Anna", "Beth"}));
    std::filesystem::create_directories(std::string(PluginFolder) + "Folder.txt");
    for (const std::string& unopenable : {std::string(PluginFolder) + "None.txt", std::string(PluginFolder) + "Folder.txt"}) {
        EXPECT_FALSE(VisitLinesInFile(unopenable, [](const std::string&) {})) << unopenable;
    }
    EXPECT_FALSE(VisitLinesInFile(list, [](const std::string&) { throw std::runtime_error("visit failed"); }));
}

TEST_F(NameListTest, FileSystemErrorsCountAsAMissingList)
{
    // A name too long for the system; on Linux also a symbolic link loop.
    const std::string tooLong(400, 'n');
    EXPECT_EQ(CountNames(tooLong), kMissing);
    EXPECT_EQ(ReadNameAt(tooLong, 1), "");
#if !defined(_WIN32)
    std::filesystem::create_directories(PluginFolder);
    std::filesystem::create_symlink("MaleNames.txt", std::string(PluginFolder) + "MaleNames.txt");
    EXPECT_EQ(CountNames("MaleNames.txt"), kMissing);
    EXPECT_EQ(ReadNameAt("MaleNames.txt", 1), "");
#endif
}

TEST_F(NameListTest, ExhaustedMemoryGivesNoNamesNeverWrongOnes)
{
    WriteNameList("FemaleNames.txt", "Anna\nBeth\nCara\n");
    // Each allocation of a successful call fails in turn, until one runs
    // through: every answer is either the right one or "nothing".
    for (std::size_t successes = 0;; ++successes) {
        SCOPED_TRACE("allocations before the failure: " + std::to_string(successes));
        FailAllocationAfter(successes);
        const ListCount count = CountNames("FemaleNames.txt");
        const std::string name = ReadNameAt("FemaleNames.txt", 2);
        const bool failed = AllocationFailed();
        StopFailingAllocations();
        // An exhausted memory never passes for a missing list.
        EXPECT_TRUE(count == Lines(3) || count == Lines(0)) << count.lines << " missing: " << count.missing;
        EXPECT_TRUE(name == "Beth" || name.empty()) << name;
        if (!failed) {
            EXPECT_EQ(count, Lines(3));
            EXPECT_EQ(name, "Beth");
            break;
        }
    }
}

TEST_F(NameListTest, LineNumbersBelowOneGiveNothing)
{
    WriteNameList("MaleNames.txt", "Anna\nBeth\n");
    for (std::int32_t line : {0, -1, INT32_MIN})
        EXPECT_EQ(ReadNameAt("MaleNames.txt", line), "") << line;
    EXPECT_EQ(ReadNameAt("MaleNames.txt", INT32_MAX), "");
}

TEST_F(NameListTest, MissingListIsReportedAsMissing)
{
    EXPECT_EQ(CountNames("MaleNames.txt"), kMissing);
    EXPECT_EQ(ReadNameAt("MaleNames.txt", 1), "");
}

TEST_F(NameListTest, ListPathsResolveAgainstTheWorkingFolder)
{
    const std::string relative = std::string(PluginFolder) + "MaleNames.txt";
    const std::u8string expected = std::filesystem::absolute(std::filesystem::path(relative)).u8string();
    EXPECT_EQ(ListFileFullPath(relative), std::string(expected.begin(), expected.end()));
    EXPECT_NE(ListFileFullPath(relative), relative);
}

TEST_F(NameListTest, OtherListDoesNotStandInForTheMissingOne)
{
    WriteNameList("FemaleNames.txt", "Anna\n");
    EXPECT_EQ(CountNames("MaleNames.txt"), kMissing);
}

// The handles (Windows) or file descriptors (elsewhere) the process holds open.
std::size_t OpenFileHandles()
{
#ifdef _WIN32
    DWORD count = 0;
    EXPECT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &count));
    return count;
#else
    const std::filesystem::directory_iterator open("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(open), end(open)));
#endif
}

TEST_F(NameListTest, EveryListOpenedIsClosedAgain)
{
    WriteNameList("FemaleNames.txt", "Anna\nBeth\n");
    std::filesystem::create_directories(std::string(PluginFolder) + "MaleNames.txt");
    const std::size_t before = OpenFileHandles();
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(CountNames("FemaleNames.txt"), Lines(2));
        EXPECT_EQ(ReadNameAt("FemaleNames.txt", 2), "Beth");
        EXPECT_EQ(CountNames("MaleNames.txt").lines, 0);
    }
    EXPECT_EQ(OpenFileHandles(), before);
}

TEST_F(NameListTest, DirectoryCarryingTheListsNameIsThereButGivesNothing)
{
    std::filesystem::create_directories(std::string(PluginFolder) + "FemaleNames.txt");
    EXPECT_EQ(CountNames("FemaleNames.txt"), (ListCount{.lines = 0, .missing = false, .unopenable = true}));
    EXPECT_EQ(ReadNameAt("FemaleNames.txt", 1), "");
}

TEST_F(NameListTest, EmptyFileNameTouchesNothing)
{
    EXPECT_EQ(CountNames(""), Lines(0));
    EXPECT_EQ(ReadNameAt("", 1), "");
}

TEST_F(NameListTest, ListEditedBetweenCallsIsReadAnew)
{
    WriteNameList("FemaleNames.txt", "Anna\n");
    EXPECT_EQ(CountNames("FemaleNames.txt"), Lines(1));
    WriteNameList("FemaleNames.txt", "Beth\nCara\n");
    EXPECT_EQ(CountNames("FemaleNames.txt"), Lines(2));
    EXPECT_EQ(ReadNameAt("FemaleNames.txt", 1), "Beth");
}

TEST(DrawRandomNumber, OneNameAlwaysGivesOne)
{
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(DrawRandomNumber(1), 1);
}

TEST(DrawRandomNumber, StaysWithinRangeAndReachesBothEnds)
{
    for (std::int32_t n : {2, 3, 7}) {
        std::set<std::int32_t> seen;
        for (int i = 0; i < 400; ++i) {
            const auto drawn = DrawRandomNumber(n);
            ASSERT_GE(drawn, 1);
            ASSERT_LE(drawn, n);
            seen.insert(drawn);
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(n)) << n;
    }
}

TEST(DrawRandomNumber, BelowOneGivesZero)
{
    for (std::int32_t n : {0, -1, INT32_MIN}) {
        EXPECT_EQ(DrawRandomNumber(n), 0);
        EXPECT_EQ(DrawRandomNumberFromSeed(42, n), 0);
    }
}

TEST(DrawRandomNumber, SeededDrawIsTheDrawAfterNDiscarded)
{
    for (std::uint32_t seed : {0U, 1U, 5489U, 0xFFFFFFFFU}) {
        for (std::int32_t n : {1, 2, 10, 1000}) {
            std::mt19937 engine(seed);
            std::uniform_int_distribution<std::int32_t> distribution(1, n);
            std::vector<std::int32_t> draws;
            for (std::int32_t i = 0; i <= n; ++i)
                draws.push_back(distribution(engine));
            EXPECT_EQ(DrawRandomNumberFromSeed(seed, n), draws.back()) << seed << " " << n;
        }
    }
}

}  // namespace
