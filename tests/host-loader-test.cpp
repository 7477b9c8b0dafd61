// The simulated host's start-up, as the real host runs it on the plugins in
// Data\SFSE\Plugins: the real DLL, patched copies of it and plugins that go
// wrong.
#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/game/game_image.h"
#include "sim/host/host.h"
#include "sim/host/host_loader.h"
#include "support/expected_version.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kName = "Varnel - SFSE Plugin by Dorrik";
const std::string kLoaded =
    "plugin Varnel.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") loaded correctly (handle ";

struct RecordPatch {
    std::size_t at;       // byte of the record
    std::uint32_t value;  // 32-bit value written there
};

// A copy of the real DLL whose version record has the patches applied (the
// record is found by its name field).
void WritePatchedCopy(const fs::path& dll, const fs::path& copy, const std::vector<RecordPatch>& patches)
{
    std::string bytes = ReadFileBytes(dll);
    // The record: format version 1, the plugin's version, then the name.
    std::string head("\x01\0\0\0\0\0\0\0", 8);
    std::memcpy(&head[4], &kExpectedPluginVersion, 4);
    head += kName;
    const std::size_t record = bytes.find(head);
    ASSERT_NE(record, std::string::npos);
    ASSERT_EQ(bytes.find(head, record + 1), std::string::npos) << "found twice";
    for (const auto& patch : patches)
        std::memcpy(&bytes[record + patch.at], &patch.value, 4);
    std::ofstream(copy, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WritePatchedCopy(const fs::path& dll, const fs::path& copy, std::size_t at, std::uint32_t value)
{
    WritePatchedCopy(dll, copy, {{at, value}});
}

class HostLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bin_ = fs::current_path();
        scratch_ = EnterScratchFolder();
        plugins_ = fs::path("Data") / "SFSE" / "Plugins";
        fs::create_directories(plugins_);
        sim::StartRunningGame();
    }
    void TearDown() override
    {
        sim::UnloadPlugins(report);
        LeaveScratchFolder(scratch_);
        EXPECT_FALSE(std::filesystem::exists(scratch_.folder)) << "a plugin file stayed in use";
    }

    void Install(const std::string& built, const std::string& as)
    {
        fs::copy_file(bin_ / built, plugins_ / as);
    }

    fs::path bin_;
    fs::path plugins_;
    sim::HostReport report;

private:
    ScratchFolder scratch_;
};

TEST_F(HostLoaderTest, ThePluginPassesEveryCheckAndLoadsCorrectly)
{
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_EQ(report.log, (std::vector<std::string>{"checking plugin Varnel.dll",
                                                    "loading plugin \"Varnel - SFSE Plugin by Dorrik\"",
                                                    kLoaded + "1)"}));
    EXPECT_FALSE(report.messageBox.has_value());
    ASSERT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().listeners[0].plugin, 1U);
    EXPECT_FALSE(sim::FindCommand("SetRandomName").has_value());  // not before the game's data
    sim::SendDataLoadedMessages();
    EXPECT_TRUE(sim::FindCommand("SetRandomName").has_value());
}

TEST_F(HostLoaderTest, EachBrokenPluginGetsItsOwnLineAndTheRestLoad)
{
    const fs::path dll = bin_ / "Varnel.dll";
    WritePatchedCopy(dll, plugins_ / "V1_BadData.dll", 0x000, 0);
    WritePatchedCopy(dll, plugins_ / "V2_NoName.dll", 0x008, 0);
    WritePatchedCopy(dll, plugins_ / "V3_OtherRuntime.dll", 0x210, 0x010F0DE0);
    WritePatchedCopy(dll, plugins_ / "V4_NewerHost.dll", 0x250, sim::kHostVersion + 1);
    WritePatchedCopy(dll, plugins_ / "V5_SmallVersion.dll", {{0x004, 0x123}, {0x210, 0x010F0DE0}});
    WritePatchedCopy(dll, plugins_ / "V6_NoVersion.dll", {{0x004, 0}, {0x210, 0x010F0DE0}});
    Install("test_plugin_faulting.dll", "Faulting.dll");
    Install("test_plugin_no_load.dll", "NoLoad.dll");
    Install("test_plugin_no_version.dll", "NoVersion.dll");
    Install("Varnel.dll", "Varnel.dll");
    Install("test_plugin_refusing.dll", "Zz_Refusing.dll");
    std::ofstream(plugins_ / "Broken.dll") << "not a DLL";

    report = sim::StartHost(plugins_);
    const auto logged = [&](const std::string& line) {
        return std::find(report.log.begin(), report.log.end(), line) != report.log.end();
    };
    // Scan order is file-name order; handles go to those that pass the checks.
    EXPECT_TRUE(logged("plugin Faulting.dll (00000001 Test plugin 01020030) disabled, fatal error occurred while "
                       "loading plugin 3221225477 (handle 1)"));
    // No load function: nothing to call, and it stays loaded.
    EXPECT_TRUE(logged("plugin NoLoad.dll (00000001 Test plugin 01020030) loaded correctly (handle 2)"));
    EXPECT_TRUE(logged("plugin NoVersion.dll (00000000  00000000) no version data 0 (handle 0)"));
    EXPECT_TRUE(logged("plugin Zz_Refusing.dll (00000001 Test plugin 01020030) reported as incompatible during load "
                       "0 (handle 4)"));
    EXPECT_TRUE(logged(kLoaded + "3)"));
    EXPECT_TRUE(logged("plugin V1_BadData.dll (00000000 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") disabled, bad "
                       "version data 0 (handle 0)"));
    EXPECT_TRUE(logged("plugin V2_NoName.dll (00000001  " + ExpectedVersionHex() + ") disabled, no name specified 0 (handle 0)"));
    EXPECT_TRUE(logged("plugin V3_OtherRuntime.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") disabled, "
                       "incompatible with current version of the game 0 (handle 0)"));
    EXPECT_TRUE(logged("plugin V4_NewerHost.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") disabled, "
                       "requires newer script extender 0 (handle 0)"));
    const auto broken = std::find_if(report.log.begin(), report.log.end(), [](const std::string& line) {
        return line.rfind("plugin Broken.dll (00000000  00000000) couldn't load plugin ", 0) == 0;
    });
    ASSERT_NE(broken, report.log.end());
    EXPECT_EQ(broken->find(" 0 (handle 0)"), std::string::npos) << *broken;  // carries Windows' error code

    ASSERT_TRUE(report.messageBox.has_value());
    const std::string& box = *report.messageBox;
    EXPECT_NE(box.find("Faulting.dll v1.2.3.0: disabled, fatal error occurred while loading plugin (C0000005)\n"),
              std::string::npos);
    EXPECT_NE(box.find("Zz_Refusing.dll v1.2.3.0: reported as incompatible during load\n"), std::string::npos);
    EXPECT_NE(box.find("V3_OtherRuntime.dll v" VARNEL_VERSION_TEXT ": disabled, incompatible with current version of the game\n"),
              std::string::npos);
    EXPECT_NE(box.find("V1_BadData.dll v" VARNEL_VERSION_TEXT ": disabled, bad version data\n"), std::string::npos);
    // A version whose top byte is 0 shows as its number; a version of 0 and
    // an error code of 0 not at all.
    EXPECT_NE(box.find("V5_SmallVersion.dll v291: disabled, incompatible with current version of the game\n"),
              std::string::npos);
    EXPECT_NE(box.find("V6_NoVersion.dll: disabled, incompatible with current version of the game\n"), std::string::npos);
    EXPECT_NE(box.find("Broken.dll: couldn't load plugin ("), std::string::npos);
    EXPECT_EQ(box.find("NoVersion.dll v"), std::string::npos);
    EXPECT_EQ(box.find("NoLoad.dll"), std::string::npos);
    EXPECT_EQ(box.find("Varnel.dll v"), std::string::npos);
    EXPECT_EQ(box.find(" (00000000)"), std::string::npos);

    // Only the plugin that loaded correctly still listens, under its handle.
    ASSERT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().listeners[0].plugin, 3U);
    sim::SendDataLoadedMessages();
    EXPECT_TRUE(sim::FindCommand("SetRandomName").has_value());
}

TEST_F(HostLoaderTest, VersionIndependenceTakesTheHostsBitsOnly)
{
    const fs::path dll = bin_ / "Varnel.dll";
    struct Case {
        const char* file;
        std::uint32_t address;
        std::uint32_t structure;
        std::uint32_t breaking;
        bool independent;
    };
    const Case cases[] = {
        {"I1_Signatures_NoStructures.dll", 0x1, 0x1, 0, true},
        {"I2_AddressLibrary_Layout.dll", 0x4, 0x8, 0, true},
        {"I3_AllBits.dll", 0xFFFFFFFF, 0xFFFFFFFF, 0, true},
        {"N1_OtherAddressBits.dll", 0xFFFFFFFA, 0x9, 0, false},
        {"N2_OtherStructureBits.dll", 0x5, 0xFFFFFFF6, 0, false},
        {"N3_AddressOnly.dll", 0x5, 0, 0, false},
        {"N4_BreakingChanges.dll", 0x1, 0x1, 1, false},
        {"N5_BreakingChangesHigh.dll", 0x4, 0x8, 0x80000000, false},
    };
    for (const auto& c : cases) {
        // Each is built for another runtime: only independence lets it load.
        WritePatchedCopy(dll, plugins_ / c.file,
                         {{0x208, c.address}, {0x20C, c.structure}, {0x258, c.breaking}, {0x210, 0x010F0DE0}});
    }
    report = sim::StartHost(plugins_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto plugin = std::find_if(report.plugins.begin(), report.plugins.end(),
                                         [&](const sim::PluginState& p) { return p.file == c.file; });
        ASSERT_NE(plugin, report.plugins.end());
        EXPECT_EQ(plugin->failure, c.independent ? "" : "disabled, incompatible with current version of the game");
    }
}

TEST_F(HostLoaderTest, PluginsFailingBeforeItGetThePluginsListenerRefused)
{
    // Two plugins before it fail their load: the host's count drops below
    // the plugin's handle, and its listener is refused.
    Install("test_plugin_refusing.dll", "A_Refusing.dll");
    Install("test_plugin_faulting.dll", "B_Faulting.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_EQ(report.log.back(),
              "plugin Varnel.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() +
                  ") reported as incompatible during load 0 (handle 3)");
    ASSERT_TRUE(report.messageBox.has_value());
    EXPECT_NE(report.messageBox->find("Varnel.dll v" VARNEL_VERSION_TEXT ": reported as incompatible during load\n"),
              std::string::npos);
    EXPECT_EQ(sim::Host().refusedListeners, std::vector<std::uint32_t>{3});
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().callbacks.empty()) << "a callback into a freed plugin";
    EXPECT_EQ(report.plugins.back().module, nullptr);
    sim::SendDataLoadedMessages();
    EXPECT_FALSE(sim::FindCommand("SetRandomName").has_value());
}

TEST_F(HostLoaderTest, OnePluginFailingBeforeItLeavesThePluginLoaded)
{
    Install("test_plugin_refusing.dll", "A_Refusing.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_EQ(report.log.back(), kLoaded + "2)");
    EXPECT_TRUE(sim::Host().refusedListeners.empty());
    ASSERT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().listeners[0].plugin, 2U);
    EXPECT_EQ(sim::Host().callbacks.size(), 1U);
    sim::SendDataLoadedMessages();
    EXPECT_TRUE(sim::FindCommand("SetRandomName").has_value());
}

TEST_F(HostLoaderTest, AnotherGameVersionRefusesThePlugin)
{
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_, {0x010F0DE0, sim::kHostVersion});
    EXPECT_EQ(report.log, (std::vector<std::string>{
                              "checking plugin Varnel.dll",
                              "plugin Varnel.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") disabled, "
                              "incompatible with current version of the game 0 (handle 0)"}));
    ASSERT_TRUE(report.messageBox.has_value());
    EXPECT_NE(report.messageBox->find("Varnel.dll v" VARNEL_VERSION_TEXT ": disabled, incompatible with current version of the game"),
              std::string::npos);
    EXPECT_TRUE(sim::Host().listeners.empty());
    sim::SendDataLoadedMessages();
    EXPECT_FALSE(sim::FindCommand("SetRandomName").has_value());
    EXPECT_TRUE(sim::FindCommand("TogglePathLine").has_value());
}

TEST(HostRuntime, ParsesThreePartVersions)
{
    EXPECT_EQ(sim::ParseRuntime(sim::RuntimeText()), sim::kGameRuntime);
    EXPECT_EQ(sim::ParseRuntime("1.14.70"), 0x010E0460U);
    EXPECT_EQ(sim::ParseRuntime("1.15.222"), 0x010F0DE0U);
    EXPECT_EQ(sim::ParseRuntime("255.255.4095"), 0xFFFFFFF0U);
    for (const char* bad : {"", "1.15", "1.15.222.0", "1.15.x", "256.0.0", "1.256.0", "1.0.4096", "-1.15.222",
                            "1..222", " 1.15.222", "1.15.222 ", "1.15.222a"}) {
        EXPECT_FALSE(sim::ParseRuntime(bad).has_value()) << bad;
    }
}

}  // namespace
