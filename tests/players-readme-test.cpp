// The players' read-me in the zip explains every console line of the
// command, each as the command prints it.
#include "src/command/messages.h"
#include "src/plugin/plugin_version.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace varnel;  // the product under test

namespace {

std::vector<std::string> ReadMeLines()
{
    std::ifstream file(VARNEL_README_PATH);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// True when `line` holds the pieces of `text` between its "%s" in order,
// the first at the start of the line.
bool ShowsText(const std::string& line, const std::string& text)
{
    std::size_t searchFrom = 0;
    std::size_t pieceStart = 0;
    for (;;) {
        const std::size_t marker = text.find("%s", pieceStart);
        const std::string piece = text.substr(pieceStart, marker - pieceStart);
        const std::size_t found = line.find(piece, searchFrom);
        if (found == std::string::npos || (pieceStart == 0 && found != 0))
            return false;
        if (marker == std::string::npos)
            return true;
        searchFrom = found + piece.size();
        pieceStart = marker + 2;
    }
}

TEST(PlayersReadMe, ExplainsEveryConsoleLineOfTheCommand)
{
    const std::vector<std::string> lines = ReadMeLines();
    ASSERT_GT(lines.size(), 50U) << VARNEL_README_PATH;
    for (const auto& message : kCommandMessages) {
        SCOPED_TRACE(message.text);
        bool shown = false;
        for (std::size_t i = 0; i < lines.size() && !shown; ++i)
            shown = ShowsText(lines[i], message.text);
        EXPECT_TRUE(shown);
    }
}

TEST(PlayersReadMe, LinesAreFollowedByAnExplanation)
{
    const std::vector<std::string> lines = ReadMeLines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (const auto& message : kCommandMessages) {
            if (!ShowsText(lines[i], message.text))
                continue;
            std::size_t next = i + 1;
            while (next < lines.size() && lines[next].rfind("Error: ", 0) == 0)
                ++next;
            ASSERT_LT(next, lines.size()) << message.text;
            EXPECT_EQ(lines[next].rfind("    ", 0), 0U) << message.text << " has no explanation below it";
        }
    }
}

TEST(PlayersReadMe, NamesTheRuntimeThePluginIsBuiltFor)
{
    bool named = false;
    for (const std::string& line : ReadMeLines())
        named = named || line.find("(runtime " VARNEL_GAME_RUNTIME_TEXT ",") != std::string::npos;
    EXPECT_TRUE(named);
}

TEST(PlayersReadMe, MatchingTakesEveryPieceInOrder)
{
    EXPECT_TRUE(ShowsText("Selected actor [FormID | name] couldn't", "Selected actor [%s | %s] couldn't"));
    EXPECT_FALSE(ShowsText("Selected actor [FormID] couldn't", "Selected actor [%s | %s] couldn't"));
    EXPECT_FALSE(ShowsText("  Error: no name", "Error: no name"));
    EXPECT_FALSE(ShowsText("] couldn't Selected actor [", "Selected actor [%s] couldn't"));
}

}  // namespace
