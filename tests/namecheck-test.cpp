#include "list_report.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

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
    EXPECT_FALSE(SomeCommandsFail(report));
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
    EXPECT_FALSE(SomeCommandsFail(report));
    EXPECT_NE(ReportAsText(report).find("\"Beth\" (line 4) is drawn 60% of the time, not 20%"), std::string::npos);
}

TEST_F(NameCheckTest, EmptyLinesAtTheEndMakeCommandsFail)
{
    const auto report = Check("Anna\nBeth\n\n\r\n");
    EXPECT_EQ(report.lines, 4);
    EXPECT_EQ(report.emptyLinesAtEnd, 2);
    EXPECT_EQ(report.failingDraws, 2);
    EXPECT_TRUE(SomeCommandsFail(report));
    EXPECT_NE(ReportAsText(report).find("50% of commands fail"), std::string::npos);
}

TEST_F(NameCheckTest, LineStartingWithNulGivesNoName)
{
    const auto report = Check("Anna\n\0Beth\n"s);
    EXPECT_EQ(report.nulBytes, 1);
    EXPECT_EQ(report.failingDraws, 1);
    EXPECT_TRUE(SomeCommandsFail(report));
}

TEST_F(NameCheckTest, EmptyAndMissingListsFailEveryCommand)
{
    EXPECT_TRUE(SomeCommandsFail(Check("")));
    EXPECT_TRUE(SomeCommandsFail(Check("\x1A" "Anna\n")));
    const auto missing = ReportOnList("NoSuchList.txt");
    EXPECT_FALSE(missing.readable);
    EXPECT_TRUE(SomeCommandsFail(missing));
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
    for (const char* finding : {"mixed line ends", "byte-order mark", "carriage returns not followed",
                                "bytes after it are never read"})
        EXPECT_NE(text.find(finding), std::string::npos) << finding;
}

TEST_F(NameCheckTest, NameFindings)
{
    const auto report = Check("Anna\n Beth\nCara\t\n50%\nAnna\nAnna\n");
    EXPECT_EQ(report.duplicates, std::vector<std::string>{"Anna"});
    EXPECT_EQ(report.blankEdged, (std::vector<std::string>{" Beth", "Cara\t"}));
    EXPECT_EQ(report.percentSigns, std::vector<std::string>{"50%"});
    EXPECT_FALSE(SomeCommandsFail(report));
}

TEST_F(NameCheckTest, JsonCarriesTheFindingsWithEscapes)
{
    const auto report = Check("Anna\n\n\"Be\\th\"\n\n");
    const std::string json = ReportAsJson(report);
    EXPECT_NE(json.find("\"lines\": 4"), std::string::npos) << json;
    EXPECT_NE(json.find("\"someCommandsFail\": true"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"name\": \"\\\"Be\\\\th\\\"\", \"line\": 3, \"drawnBy\": 2}"), std::string::npos) << json;
}

}  // namespace
