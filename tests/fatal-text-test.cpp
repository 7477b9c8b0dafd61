#include "src/plugin/fatal_error.h"
#include "support/expected_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace varnel;  // the product under test

namespace {

// A record as the plugin's, with the name and version given.
sfse::PluginVersionData Record(const std::string& name, std::uint32_t version)
{
    sfse::PluginVersionData record{};
    std::memcpy(record.name, name.data(), std::min(name.size(), sizeof record.name));
    record.pluginVersion = version;
    return record;
}

sfse::PluginVersionData RecordWithVersion(std::uint32_t version) { return Record("Varnel", version); }

TEST(FatalErrorText, LoadFailureTextIsLaidOutExactly)
{
    EXPECT_EQ(ComposeFatalErrorText("SFSEPlugin_Load", 545,
                                    "Installation error: Starfield.exe handle couldn't be acquired"),
              "Fatal error has occured in function SFSEPlugin_Load at line 545\n"
              "\n"
              "\n"
              "Error text: \n"
              " -> Installation error: Starfield.exe handle couldn't be acquired\n");
}

TEST(FatalErrorText, LineNumberIsPlainDecimal)
{
    EXPECT_EQ(ComposeFatalErrorText("f", 0, "e"), "Fatal error has occured in function f at line 0\n\n\nError text: \n -> e\n");
    EXPECT_EQ(ComposeFatalErrorText("f", 4294967295U, ""),
              "Fatal error has occured in function f at line 4294967295\n\n\nError text: \n -> \n");
}

TEST(FatalErrorText, VersionTextShowsMajorAndMinorOnly)
{
    EXPECT_EQ(GetPluginVersionText(RecordWithVersion(kExpectedPluginVersion)), ExpectedMajorMinor());
    const std::pair<std::uint32_t, const char*> cases[] = {
        {sfse::EncodeVersion(2, 6, 0, 0), "2.6"},
        {sfse::EncodeVersion(2, 6, 3, 1), "2.6"},
        {sfse::EncodeVersion(2, 0, 0, 0), "2.0"},
        {sfse::EncodeVersion(10, 6, 0, 0), "10.6"},
        {sfse::EncodeVersion(255, 255, 4095, 15), "255.255"},
    };
    for (const auto& [version, text] : cases)
        EXPECT_EQ(GetPluginVersionText(RecordWithVersion(version)), text);
}

TEST(FatalErrorText, CaptionPartsComeFromTheVersionRecord)
{
    const sfse::PluginVersionData record = Record("Varnel - SFSE Plugin by Dorrik", kExpectedPluginVersion);
    EXPECT_EQ(GetPluginName(record) + " v" + GetPluginVersionText(record),
              "Varnel - SFSE Plugin by Dorrik v" + ExpectedMajorMinor());
    sfse::PluginVersionData full = record;
    std::memset(full.name, 'x', sizeof full.name);  // no zero byte at all
    EXPECT_EQ(GetPluginName(full), std::string(256, 'x'));
}

}  // namespace
