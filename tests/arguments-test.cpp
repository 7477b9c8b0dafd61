#include "src/command/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varnel;  // the product under test

namespace {

using namespace std::string_literals;

// A block with the header bytes given, then each argument as length byte,
// one unread byte (0xEE) and its text, then trailing bytes of the game.
std::vector<std::uint8_t> Block(std::vector<std::uint8_t> header, const std::vector<std::string>& arguments)
{
    for (const auto& argument : arguments) {
        header.push_back(static_cast<std::uint8_t>(argument.size()));
        header.push_back(0xEE);
        header.insert(header.end(), argument.begin(), argument.end());
    }
    header.insert(header.end(), 8, 0xEE);
    return header;
}

std::vector<std::uint8_t> ShortHeader(std::uint8_t count) { return {0x00, 0xEE, 0xEE, 0xEE, count, 0xEE}; }
std::vector<std::uint8_t> LongHeader(std::uint8_t count)
{
    // Offset 4 holds a misleading 7: the count of a long block is at offset 8.
    return {28, 0xEE, 0xEE, 0xEE, 7, 0xEE, 0xEE, 0xEE, count, 0xEE};
}

TEST(DecodeCommandArguments, ReadsBothHeaderForms)
{
    for (const auto& header : {ShortHeader(1), LongHeader(1)}) {
        const auto block = Block(header, {"female"});
        EXPECT_EQ(DecodeCommandArguments(block.data()), Parameters{"female"});
    }
}

TEST(DecodeCommandArguments, OnlyTwentyEightMeansTheLongForm)
{
    for (std::uint8_t first : {std::uint8_t{27}, std::uint8_t{29}, std::uint8_t{0x1C + 0x80}}) {
        auto block = Block(ShortHeader(1), {"male"});
        block[0] = first;
        EXPECT_EQ(DecodeCommandArguments(block.data()), Parameters{"male"}) << int{first};
    }
}

TEST(DecodeCommandArguments, KeepsEveryArgumentAsItStands)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {""},
        {"female", "male"},
        {"fe\0male"s},
        {"male "},
        {std::string(255, 'x'), "y"},
        std::vector<std::string>(255, ""),
        std::vector<std::string>(255, "ab"),
    };
    for (const auto& arguments : cases) {
        for (const auto& header : {ShortHeader(static_cast<std::uint8_t>(arguments.size())),
                                   LongHeader(static_cast<std::uint8_t>(arguments.size()))}) {
            const auto block = Block(header, arguments);
            EXPECT_EQ(DecodeCommandArguments(block.data()), arguments) << arguments.size() << " arguments";
        }
    }
}

}  // namespace
