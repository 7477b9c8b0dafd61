#include "names/name_list.h"
#include "names/random_number.h"
#include "support/console_recorder.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string kMissingListLine =
    "Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting function call.";

class NameListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch_ = EnterScratchFolder();
        ClearConsoleRecord();
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
    };
}

TEST_F(NameListTest, CountsAndReadsEveryLineAsTextModeDoes)
{
    for (const auto& list : ListCases()) {
        SCOPED_TRACE(list.what);
        WriteNameList("FemaleNames.txt", list.bytes);
        EXPECT_EQ(CountNames("FemaleNames.txt"), list.count);
        for (std::size_t i = 0; i < list.nameAtLine.size(); ++i)
            EXPECT_EQ(ReadNameAt("FemaleNames.txt", static_cast<std::int32_t>(i + 1)), list.nameAtLine[i])
                << "line " << i + 1;
    }
    EXPECT_TRUE(RecordedConsoleLines().empty());
}

TEST_F(NameListTest, LongListsReadAcrossChunkBoundaries)
{
    std::string bytes;
    constexpr int kNames = 30000;
    for (int i = 1; i <= kNames; ++i)
        bytes += "Name" + std::to_string(100000 + i) + (i % 3 == 0 ? "\r\n" : "\n");
    WriteNameList("MaleNames.txt", bytes);
    EXPECT_EQ(CountNames("MaleNames.txt"), kNames);
    for (int line : {1, 6553, 6554, 6555, 13107, 20000, 29999, kNames})
        EXPECT_EQ(ReadNameAt("MaleNames.txt", line), "Name" + std::to_string(100000 + line)) << line;
    EXPECT_EQ(ReadNameAt("MaleNames.txt", kNames + 1), "");
}

TEST_F(NameListTest, LineNumbersBelowOneGiveNothing)
{
    WriteNameList("MaleNames.txt", "Anna\nBeth\n");
    for (std::int32_t line : {0, -1, INT32_MIN})
        EXPECT_EQ(ReadNameAt("MaleNames.txt", line), "") << line;
    EXPECT_EQ(ReadNameAt("MaleNames.txt", INT32_MAX), "");
}

TEST_F(NameListTest, MissingListPrintsOnceAndReadsSilently)
{
    EXPECT_EQ(CountNames("MaleNames.txt"), 0);
    EXPECT_EQ(ReadNameAt("MaleNames.txt", 1), "");
    EXPECT_EQ(RecordedConsoleLines(), std::vector<std::string>{kMissingListLine});
}

TEST_F(NameListTest, OtherListDoesNotStandInForTheMissingOne)
{
    WriteNameList("FemaleNames.txt", "Anna\n");
    EXPECT_EQ(CountNames("MaleNames.txt"), 0);
    EXPECT_EQ(RecordedConsoleLines(), std::vector<std::string>{kMissingListLine});
}

TEST_F(NameListTest, DirectoryCarryingTheListsNameGivesNothingSilently)
{
    std::filesystem::create_directories(std::string(PluginFolder) + "FemaleNames.txt");
    EXPECT_EQ(CountNames("FemaleNames.txt"), 0);
    EXPECT_EQ(ReadNameAt("FemaleNames.txt", 1), "");
    EXPECT_TRUE(RecordedConsoleLines().empty());
}

TEST_F(NameListTest, EmptyFileNameTouchesNothing)
{
    EXPECT_EQ(CountNames(""), 0);
    EXPECT_EQ(ReadNameAt("", 1), "");
    EXPECT_TRUE(RecordedConsoleLines().empty());
}

TEST_F(NameListTest, ListEditedBetweenCallsIsReadAnew)
{
    WriteNameList("FemaleNames.txt", "Anna\n");
    EXPECT_EQ(CountNames("FemaleNames.txt"), 1);
    WriteNameList("FemaleNames.txt", "Beth\nCara\n");
    EXPECT_EQ(CountNames("FemaleNames.txt"), 2);
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
