// The simulated host's start-up, as the real host runs it on the plugins in
// Data\SFSE\Plugins: the real DLL, patched copies of it and plugins that go
// wrong.
#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/game/game_image.h"
#include "sim/process.h"
#include "sim/host/host.h"
#include "sim/host/host_loader.h"
#include "sim/host/plugin_scan.h"
#include "sim/loader/game_files.h"
#include "sim/loader/loader.h"
#include "sim/loader/pe_file.h"
#include "support/expected_version.h"
#include "support/player_logs.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <iterator>
#include <sstream>
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

// sfse.txt as the player finds it: CR LF line ends, no crash report of the
// simulation's.
std::vector<std::string> HostLogFileLines() { return CrLfLinesOf(LogsFolderBelow(DocumentsFolder()) / "sfse.txt"); }

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

// A copy of `dll` without an export table (its directory entry zeroed), its
// DOS header as the linker wrote it.
void WriteExportlessCopy(const fs::path& dll, const fs::path& copy)
{
    std::string bytes = ReadFileBytes(dll);
    std::uint32_t peHeader = 0;
    std::memcpy(&peHeader, &bytes[0x3C], 4);
    // Signature (4), file header (20), then the PE32+ optional header, whose
    // data directories start at 112; the export table is the first.
    std::memset(&bytes[peHeader + 4 + 20 + 112], 0, 8);
    std::ofstream(copy, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The host's first four lines (its version with the time and the system,
// the two image bases, the plugin directory) are checked on their own; the
// rest as written.
constexpr std::size_t kStartLines = 4;
std::vector<std::string> Log()
{
    const auto& log = sim::Host().log;
    return {log.begin() + static_cast<std::ptrdiff_t>(std::min(log.size(), kStartLines)), log.end()};
}

bool Logged(const std::string& line)
{
    const auto& log = sim::Host().log;
    return std::find(log.begin(), log.end(), line) != log.end();
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
        EXPECT_EQ(sim::Faults(), std::vector<std::string>{}) << "the real game would have crashed";
        sim::UnloadPlugins(report);
        LeaveScratchFolder(scratch_);
        EXPECT_FALSE(std::filesystem::exists(scratch_.folder)) << "a plugin file stayed in use";
    }

    void Install(const std::string& built, const std::string& as)
    {
        fs::copy_file(bin_ / built, plugins_ / as);
    }

    // Starts the host afresh on the same folder.
    void Restart(const sim::HostStartup& startup = {})
    {
        sim::UnloadPlugins(report);
        sim::StartRunningGame();
        report = sim::StartHost(plugins_, startup);
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
    EXPECT_EQ(Log(), (std::vector<std::string>{"scanning plugin directory " + (fs::absolute(plugins_) / "").string(),
                                               "checking plugin Varnel.dll",
                                               "preinit complete",
                                               "loading plugin \"Varnel - SFSE Plugin by Dorrik\"",
                                               "registering plugin listener for SFSE at 1 of 3",
                                               kLoaded + "1)",
                                               "dispatch message (0) to plugin listeners",
                                               "sending message type 0 to plugin 1",
                                               "dispatched message.",
                                               "dispatch message (1) to plugin listeners",
                                               "sending message type 1 to plugin 1",
                                               "dispatched message.",
                                               "init complete"}));
    EXPECT_TRUE(report.boxes.empty());
    ASSERT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().listeners[0].plugin, 1U);
    EXPECT_FALSE(sim::FindCommand("SetRandomName").has_value());  // not before the game's data
    sim::SendDataLoadedMessages();
    EXPECT_TRUE(sim::FindCommand("SetRandomName").has_value());
    EXPECT_EQ(Log().back(), "dispatched message.");
    EXPECT_EQ(Log()[Log().size() - 3], "dispatch message (3) to plugin listeners");
    sim::MenuMovieLoaded();  // its menu callback does nothing
    EXPECT_FALSE(sim::Host().gone);
}

TEST_F(HostLoaderTest, EachBrokenPluginGetsItsOwnLineAndTheBoxListsThemInTheOrderTheyFailed)
{
    const fs::path dll = bin_ / "Varnel.dll";
    WritePatchedCopy(dll, plugins_ / "V1_BadData.dll", 0x000, 0);
    WritePatchedCopy(dll, plugins_ / "V2_NoName.dll", 0x008, 0);
    WritePatchedCopy(dll, plugins_ / "V3_OtherRuntime.dll", 0x210, 0x010F0DE0);
    WritePatchedCopy(dll, plugins_ / "V4_NewerHost.dll", 0x250, 0x00020120);  // 0.2.18; the host is 0.2.17
    WritePatchedCopy(dll, plugins_ / "V5_SmallVersion.dll", {{0x004, 0x123}, {0x210, 0x010F0DE0}});
    WritePatchedCopy(dll, plugins_ / "V6_NoVersion.dll", {{0x004, 0}, {0x210, 0x010F0DE0}});
    // Named "SaveTweaks", version 3: on the host's list of known broken versions.
    WritePatchedCopy(dll, plugins_ / "V7_KnownBad.dll", {{0x004, 3}, {0x008, 0x65766153}, {0x00C, 0x61657754}, {0x010, 0x0000736B}});
    Install("test_plugin_faulting.dll", "Faulting.dll");
    Install("test_plugin_no_load.dll", "NoLoad.dll");
    Install("test_plugin_no_version.dll", "NoVersion.dll");
    Install("Varnel.dll", "Varnel.dll");
    Install("test_plugin_refusing.dll", "Zz_Refusing.dll");
    std::ofstream(plugins_ / "Broken.dll") << "not a DLL";

    report = sim::StartHost(plugins_);
    // Handles go to those that pass the checks, in folder order.
    EXPECT_TRUE(Logged("plugin Faulting.dll (00000001 Test plugin 01020030) disabled, fatal error occurred while "
                       "loading plugin 0 (handle 1)"));
    // Neither entry point: never loaded, never run, and "loaded correctly".
    EXPECT_TRUE(Logged("plugin NoLoad.dll (00000001 Test plugin 01020030) loaded correctly (handle 2)"));
    EXPECT_EQ(report.plugins[3].module, nullptr);
    EXPECT_EQ(GetEnvironmentVariableW(L"TEST_PLUGIN_RAN", nullptr, 0), 0U) << "its DllMain ran";
    EXPECT_TRUE(Logged("plugin NoVersion.dll (00000000  00000000) no version data 0 (handle 0)"));
    EXPECT_TRUE(Logged("plugin Zz_Refusing.dll (00000001 Test plugin 01020030) reported as incompatible during load "
                       "0 (handle 4)"));
    EXPECT_TRUE(Logged(kLoaded + "3)"));
    EXPECT_TRUE(Logged("plugin V1_BadData.dll (00000000 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") disabled, bad "
                       "version data 0 (handle 0)"));
    EXPECT_TRUE(Logged("plugin V2_NoName.dll (00000001  " + ExpectedVersionHex() + ") disabled, no name specified 0 (handle 0)"));
    EXPECT_TRUE(Logged("plugin V3_OtherRuntime.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") disabled, "
                       "incompatible with current version of the game 0 (handle 0)"));
    EXPECT_TRUE(Logged("plugin V4_NewerHost.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") disabled, "
                       "requires newer script extender 0 (handle 0)"));
    EXPECT_TRUE(Logged("plugin V7_KnownBad.dll (00000001 SaveTweaks 00000003) crashes due to bad version data (update past "
                       "version 3) 0 (handle 0)"));
    const auto& log = sim::Host().log;
    const auto broken = std::find_if(log.begin(), log.end(), [](const std::string& line) {
        return line.rfind("plugin Broken.dll (00000000  00000000) couldn't load plugin ", 0) == 0;
    });
    ASSERT_NE(broken, log.end());
    EXPECT_EQ(broken->find(" 0 (handle 0)"), std::string::npos) << *broken;  // carries Windows' error code

    ASSERT_EQ(report.boxes.size(), 1U);
    EXPECT_EQ(report.boxes[0].title, "SFSE Plugin Loader (0.2.17)");
    std::vector<std::string> box = Lines(report.boxes[0].text);
    ASSERT_GT(box.size(), 2U);
    EXPECT_EQ(box[2].rfind("Broken.dll: couldn't load plugin (", 0), 0U) << box[2];  // Windows' error number
    box[2] = "Broken.dll: couldn't load plugin (...)";
    // The scan's failures in folder order, then those of the load calls; a
    // version whose top byte is 0 shows as its number, a version of 0 and a
    // code of 0 not at all.
    const std::string v = VARNEL_VERSION_TEXT;
    EXPECT_EQ(box, (std::vector<std::string>{
                       "Mods you have installed have failed to load correctly. Check for updates to the mods listed below.",
                       "",
                       "Broken.dll: couldn't load plugin (...)",
                       "V1_BadData.dll v" + v + ": disabled, bad version data",
                       "V2_NoName.dll v" + v + ": disabled, no name specified",
                       "V3_OtherRuntime.dll v" + v + ": disabled, incompatible with current version of the game",
                       "V4_NewerHost.dll v" + v + ": disabled, requires newer script extender",
                       "V5_SmallVersion.dll v291: disabled, incompatible with current version of the game",
                       "V6_NoVersion.dll: disabled, incompatible with current version of the game",
                       "V7_KnownBad.dll v3: crashes due to bad version data (update past version 3)",
                       "Faulting.dll v1.2.3.0: disabled, fatal error occurred while loading plugin",
                       "Zz_Refusing.dll v1.2.3.0: reported as incompatible during load",
                       "",
                       "Continuing to load may result in lost save data or other undesired behavior.",
                       "Exit game? (yes highly suggested)"}));

    // Only the plugin that loaded correctly still listens, under its handle.
    ASSERT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().listeners[0].plugin, 3U);
    sim::SendDataLoadedMessages();
    EXPECT_TRUE(sim::FindCommand("SetRandomName").has_value());
}

TEST_F(HostLoaderTest, AnsweringYesEndsTheGameBeforeAnyMessage)
{
    Install("test_plugin_refusing.dll", "Refusing.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_, {sim::kGameRuntime, sim::kHostVersion, sim::BoxAnswer::Yes});
    EXPECT_TRUE(report.gameEnded);
    EXPECT_EQ(report.boxes.size(), 1U);
    EXPECT_EQ(Log().back(), kLoaded + "2)");
    // The host writes sfse.txt out before it ends the game.
    const std::vector<std::string> file = HostLogFileLines();
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.back(), kLoaded + "2)");

    // Yes in the address library's box ends the game without writing it out.
    WritePatchedCopy(bin_ / "Varnel.dll", plugins_ / "Library.dll", {{0x208, 0x4}});
    Restart({sim::kGameRuntime, sim::kHostVersion, sim::BoxAnswer::Yes});
    EXPECT_TRUE(report.gameEnded);
    ASSERT_EQ(report.boxes.size(), 1U);
    EXPECT_EQ(report.boxes[0].title, "SFSE Plugin Loader");
    EXPECT_EQ(HostLogFileLines(), std::vector<std::string>{});
}

TEST_F(HostLoaderTest, FilesAreTakenInTheOrderAnNtfsFolderListsThem)
{
    for (const char* file : {"Varnel.dll", "alpha.dll", "_x.dll", "Beta.DLL", "b.dll", "b.txt", "c.dll.bak"})
        std::ofstream(plugins_ / file) << "x";
    std::vector<std::string> order;
    for (const auto& path : sim::PluginFilesInFolderOrder(plugins_))
        order.push_back(path.filename().string());
    // Upper-cased and compared ordinally: case does not count, '_' comes
    // after the letters, '.' before them.
    EXPECT_EQ(order, (std::vector<std::string>{"alpha.dll", "b.dll", "Beta.DLL", "Varnel.dll", "_x.dll"}));
}

TEST_F(HostLoaderTest, VersionIndependenceTakesTheHostsBitsAndTheAddressLibrary)
{
    const fs::path dll = bin_ / "Varnel.dll";
    const std::string incompatible = "disabled, incompatible with current version of the game";
    const std::string library = "disabled, address library needs to be updated";
    struct Case {
        const char* file;
        std::uint32_t address;
        std::uint32_t structure;
        std::uint32_t breaking;
        std::string withLibrary;     // the failure, Data\SFSE\Plugins\versionlib-1-15-216-0.bin present
        std::string withoutLibrary;  // and absent
    };
    const Case cases[] = {
        {"I1_Signatures_NoStructures.dll", 0x1, 0x1, 0, "", ""},
        {"I2_AddressLibrary_Layout.dll", 0x4, 0x8, 0, "", library},
        {"I3_AllBits.dll", 0xFFFFFFFF, 0xFFFFFFFF, 0, "", library},
        {"N0_FirstLibraryForm.dll", 0x2, 0x8, 0, incompatible, library},
        {"N1_OtherAddressBits.dll", 0xFFFFFFFA, 0x9, 0, incompatible, library},
        {"N2_OtherStructureBits.dll", 0x5, 0xFFFFFFF6, 0, incompatible, library},
        {"N3_AddressOnly.dll", 0x5, 0, 0, incompatible, library},
        {"N4_BreakingChanges.dll", 0x1, 0x1, 1, incompatible, incompatible},
        {"N5_BreakingChangesHigh.dll", 0x4, 0x8, 0x80000000, incompatible, library},
    };
    for (const auto& c : cases) {
        // Each is built for another runtime: only independence lets it load.
        WritePatchedCopy(dll, plugins_ / c.file,
                         {{0x208, c.address}, {0x20C, c.structure}, {0x258, c.breaking}, {0x210, 0x010F0DE0}});
    }
    const auto failureOf = [&](const char* file) {
        const auto plugin = std::find_if(report.plugins.begin(), report.plugins.end(),
                                         [&](const sim::PluginState& p) { return p.file == file; });
        return plugin == report.plugins.end() ? std::string("(not scanned)") : plugin->failure;
    };
    // The library is looked for relative to the working folder.
    std::ofstream(plugins_ / "versionlib-1-15-216-0.bin") << "library";
    Restart();
    for (const auto& c : cases)
        EXPECT_EQ(failureOf(c.file), c.withLibrary) << c.file << " with the library";
    ASSERT_EQ(report.boxes.size(), 1U);

    fs::remove(plugins_ / "versionlib-1-15-216-0.bin");
    Restart();
    for (const auto& c : cases)
        EXPECT_EQ(failureOf(c.file), c.withoutLibrary) << c.file << " without the library";
    // The address library's own box comes first.
    ASSERT_EQ(report.boxes.size(), 2U);
    EXPECT_EQ(report.boxes[0].title, "SFSE Plugin Loader");
    EXPECT_EQ(report.boxes[0].text.rfind("DLL plugins you have installed require a new version of the Address Library.", 0), 0U);
    EXPECT_EQ(report.boxes[1].title, "SFSE Plugin Loader (0.2.17)");
}

TEST_F(HostLoaderTest, ADllWithoutExportsStopsTheScan)
{
    // Given no export table, the host reads the DOS header as one: its name
    // count is the dword at 0x18 (0x40 in every linker's stub), its names at
    // the RVA in the dword at 0x20 (0), so the first name's RVA is the file's
    // first dword, "MZ\x90\0": 9 MiB past the image, an access violation.
    const std::string header = ReadFileBytes(bin_ / "test_plugin_refusing.dll").substr(0, 0x24);
    ASSERT_EQ(header.substr(0, 4), std::string("MZ\x90\0", 4));
    ASSERT_EQ(header.substr(0x18, 4), std::string("\x40\0\0\0", 4));
    ASSERT_EQ(header.substr(0x20, 4), std::string(4, '\0'));
    Install("test_plugin_no_load.dll", "Aaa.dll");
    WriteExportlessCopy(bin_ / "test_plugin_refusing.dll", plugins_ / "Helper.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    // What was scanned before it still loads; nothing after it is scanned,
    // and no box tells.
    EXPECT_EQ(Log(), (std::vector<std::string>{"scanning plugin directory " + (fs::absolute(plugins_) / "").string(),
                                               "checking plugin Aaa.dll",
                                               "checking plugin Helper.dll",
                                               "exception occurred while loading plugins",
                                               "preinit complete",
                                               "plugin Aaa.dll (00000001 Test plugin 01020030) loaded correctly (handle 1)",
                                               "dispatch message (0) to plugin listeners",
                                               "no listeners registered",
                                               "dispatch message (1) to plugin listeners",
                                               "no listeners registered",
                                               "init complete"}));
    EXPECT_TRUE(report.boxes.empty());
    sim::SendDataLoadedMessages();
    EXPECT_FALSE(sim::FindCommand("SetRandomName").has_value());
}

TEST_F(HostLoaderTest, PluginsFailingBeforeItGetThePluginsListenerRefused)
{
    // In folder order both come before it (case does not count) and fail,
    // one in its preload call, one in its load call: the host's count drops
    // below the plugin's handle, and its listener is refused.
    Install("test_plugin_preload_fails.dll", "alpha.dll");
    Install("test_plugin_faulting.dll", "beta.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_TRUE(Logged("preloading plugin \"Test plugin\""));
    EXPECT_TRUE(Logged("plugin alpha.dll (00000001 Test plugin 01020030) reported as incompatible during load 0 (handle 1)"));
    EXPECT_TRUE(Logged("registering plugin listener for SFSE at 3 of 3"));
    EXPECT_TRUE(Logged("plugin Varnel.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() +
                       ") reported as incompatible during load 0 (handle 3)"));
    ASSERT_EQ(report.boxes.size(), 1U);
    EXPECT_NE(report.boxes[0].text.find("\nalpha.dll v1.2.3.0: reported as incompatible during load\n"
                                        "beta.dll v1.2.3.0: disabled, fatal error occurred while loading plugin\n"
                                        "Varnel.dll v" VARNEL_VERSION_TEXT ": reported as incompatible during load\n"),
              std::string::npos)
        << report.boxes[0].text;
    EXPECT_EQ(sim::Calls().refusedListeners, std::vector<std::uint32_t>{3});
    // It leaves nothing behind for the host to call into.
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().menuCallbacks.empty());
    EXPECT_EQ(report.plugins.back().module, nullptr);
    sim::SendDataLoadedMessages();
    sim::MenuMovieLoaded();
    EXPECT_FALSE(sim::Host().gone);
    EXPECT_FALSE(sim::FindCommand("SetRandomName").has_value());
}

TEST_F(HostLoaderTest, OnePluginFailingBeforeItLeavesThePluginLoaded)
{
    Install("test_plugin_refusing.dll", "alpha.dll");
    Install("test_plugin_refusing.dll", "_x.dll");  // after it: '_' comes after the letters
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_TRUE(Logged(kLoaded + "2)"));
    EXPECT_TRUE(sim::Calls().refusedListeners.empty());
    ASSERT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().listeners[0].plugin, 2U);
    EXPECT_EQ(sim::Host().menuCallbacks.size(), 1U);
    sim::SendDataLoadedMessages();
    EXPECT_TRUE(sim::FindCommand("SetRandomName").has_value());
}

TEST_F(HostLoaderTest, APluginThatFailsAfterRegisteringCrashesTheGame)
{
    // The host frees it but keeps its listener and its menu callback: the
    // next message calls into freed code.
    Install("test_plugin_registers_then_refuses.dll", "alpha.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_TRUE(Logged("plugin alpha.dll (00000001 Test plugin 01020030) reported as incompatible during load 0 (handle 1)"));
    EXPECT_EQ(sim::Host().listeners.size(), 2U);
    EXPECT_EQ(sim::Host().menuCallbacks.size(), 2U);
    const std::string crash = "GAME CRASH: message 0 calls into alpha.dll, which the host unloaded";
    EXPECT_EQ(Log().back(), crash);
    EXPECT_EQ(sim::Faults(), std::vector<std::string>{crash});
    sim::SendDataLoadedMessages();
    EXPECT_EQ(Log().back(), crash) << "the game has ended";

    // Its menu callback alone does the same.
    sim::ForgetFaults();
    sim::Host().gone = false;
    for (auto& list : sim::Host().listenerLists)
        std::erase_if(list, [](const sim::ListenerEntry& entry) { return entry.plugin == 1; });
    sim::SendDataLoadedMessages();
    sim::MenuMovieLoaded();
    EXPECT_EQ(Log().back(), "GAME CRASH: a menu's movie callback calls into alpha.dll, which the host unloaded");
    sim::ForgetFaults();
}

// What a listener is handed, message by message.
struct SeenMessage {
    std::string sender;
    std::uint32_t type;
    std::uint32_t dataLength;
    const void* data;
};
std::vector<SeenMessage> seenMessages;

void RecordMessage(sfse::HostMessage* message)
{
    seenMessages.push_back({message->sender, message->type, message->dataLength, message->data});
}

TEST_F(HostLoaderTest, ListenersAreKeptByTheHostsRules)
{
    Install("test_plugin_no_load.dll", "Other.dll");
    report = sim::StartHost(plugins_);
    auto& host = sim::Host();
    // Once loading is over, the host's count is of the plugins it kept, with
    // none loading.
    EXPECT_EQ(host.pluginCount, 1U);
    EXPECT_EQ(host.listedNames, std::vector<std::string>{"Test plugin"});
    const sfse::HostMessageListener listener = [](sfse::HostMessage*) {};
    host.pluginCount = 2;
    const auto registerListener = [&](std::uint32_t plugin, const char* sender, sfse::HostMessageListener handler) {
        const auto* hostRecord = static_cast<const sfse::HostInterface*>(sim::HostInterfaceRecord());
        const auto* messaging = static_cast<const sfse::MessagingInterface*>(hostRecord->queryInterface(1));
        return messaging->registerListener(plugin, sender, handler);
    };
    host.listedNames = {"Test plugin"};
    EXPECT_TRUE(registerListener(1, "sfse", listener));         // the host's name, any case
    EXPECT_TRUE(registerListener(1, "SFSE", listener));         // again: nothing added
    EXPECT_TRUE(registerListener(2, "TEST PLUGIN", listener));  // a listed plugin's name
    EXPECT_TRUE(registerListener(2, nullptr, listener));        // every other plugin
    EXPECT_FALSE(registerListener(2, "Nobody", listener));
    EXPECT_FALSE(registerListener(2, "SFSE", nullptr));
    EXPECT_FALSE(registerListener(3, "SFSE", listener));
    // One list per sender, the host's first, sized to the count and six more;
    // a null sender's listener on every list but the host's and its own. But
    // list 1 holds plugin 2 already, and the host's `continue` there skips
    // the index's step too: from there on the index runs one behind, so
    // list 2, its own, gets it and list 3 does not.
    const auto listsOf = [&](std::uint32_t plugin) {
        std::vector<std::size_t> lists;
        for (std::size_t i = 0; i < host.listenerLists.size(); ++i) {
            for (const auto& entry : host.listenerLists[i])
                lists.insert(lists.end(), entry.plugin == plugin ? 1 : 0, i);
        }
        return lists;
    };
    ASSERT_EQ(host.listenerLists.size(), 8U);
    EXPECT_EQ(listsOf(1), (std::vector<std::size_t>{0}));
    EXPECT_EQ(listsOf(2), (std::vector<std::size_t>{1, 2, 4, 5, 6, 7}));
    EXPECT_EQ(host.listeners.size(), 4U);
    EXPECT_EQ(sim::Calls().refusedListeners, (std::vector<std::uint32_t>{2, 2, 3}));
    EXPECT_TRUE(Logged("registering plugin listener for (null) at 2 of 3"));
    // Again: two lists skipped, two behind, and list 3 gets it.
    EXPECT_TRUE(registerListener(2, nullptr, listener));
    EXPECT_EQ(listsOf(2), (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7}));
    // A sender beyond the lists.
    const auto* messaging = static_cast<const sfse::MessagingInterface*>(
        static_cast<const sfse::HostInterface*>(sim::HostInterfaceRecord())->queryInterface(1));
    EXPECT_FALSE(messaging->dispatch(8, 7, nullptr, 0, nullptr));
    EXPECT_EQ(sim::Host().log.back(), "sender is not in the list");

    // The host's messages reach the listeners of "SFSE" only, in the order
    // they registered; 2 and 3 carry the game's data handler.
    seenMessages.clear();
    EXPECT_TRUE(registerListener(2, "SFSE", &RecordMessage));
    for (std::uint32_t type = 0; type < 4; ++type)
        sim::SendHostMessage(type);
    ASSERT_EQ(seenMessages.size(), 4U);
    for (std::uint32_t type = 0; type < 4; ++type) {
        EXPECT_EQ(seenMessages[type].sender, "SFSE");
        EXPECT_EQ(seenMessages[type].type, type);
        EXPECT_EQ(seenMessages[type].dataLength, type < 2 ? 0U : 8U);
        EXPECT_EQ(seenMessages[type].data, type < 2 ? nullptr : sim::DataHandler());
    }
    EXPECT_TRUE(Logged("dispatch message (3) to plugin listeners"));
}

TEST_F(HostLoaderTest, AnotherGameVersionRefusesThePlugin)
{
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_, {0x010F0DE0, sim::kHostVersion});
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "scanning plugin directory " + (fs::absolute(plugins_) / "").string(),
                         "checking plugin Varnel.dll",
                         "plugin Varnel.dll (00000001 Varnel - SFSE Plugin by Dorrik " + ExpectedVersionHex() + ") disabled, "
                         "incompatible with current version of the game 0 (handle 0)",
                         "preinit complete",
                         "dispatch message (0) to plugin listeners",
                         "no listeners registered",
                         "dispatch message (1) to plugin listeners",
                         "no listeners registered",
                         "init complete"}));
    ASSERT_EQ(report.boxes.size(), 1U);
    EXPECT_NE(report.boxes[0].text.find("Varnel.dll v" VARNEL_VERSION_TEXT ": disabled, incompatible with current version of the game"),
              std::string::npos);
    EXPECT_TRUE(sim::Host().listeners.empty());
    sim::SendDataLoadedMessages();
    EXPECT_FALSE(sim::FindCommand("SetRandomName").has_value());
    EXPECT_TRUE(sim::FindCommand("TogglePathLine").has_value());
}

// What the inspecting test plugin saw, laid out as it lays it out.
struct InspectorSeen {
    std::uint32_t hostVersion;
    std::uint32_t runtimeVersion;
    std::uint32_t interfaceVersion;
    std::uint32_t interfaceVersions[6];
    unsigned long dllMainThread;
    unsigned long loadThread;
    int threadAttachesBeforeLoad;
    unsigned long threadLocalSeen;
    unsigned long taskThread;
    int taskRuns;
    std::uint32_t infoVersionOfItself;
    char taskOrder[8];
    std::int64_t branchStep;
    const void* scaleformManager;
};

TEST_F(HostLoaderTest, APluginCheckingTheVersionsAndEveryInterfaceLoadsOnTheStartingThread)
{
    Install("test_plugin_inspects.dll", "Inspector.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_TRUE(Logged("plugin Inspector.dll (00000001 Test plugin 01020030) loaded correctly (handle 1)"));
    EXPECT_TRUE(Logged(kLoaded + "2)"));
    EXPECT_TRUE(Logged("unknown QueryInterface 00000000"));
    EXPECT_TRUE(Logged("unknown QueryInterface 00000005"));
    const auto* seen = reinterpret_cast<const InspectorSeen*>(
        GetProcAddress(static_cast<HMODULE>(report.plugins[0].module), "TestPluginSeen"));
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->hostVersion, 0x00020110U);
    EXPECT_EQ(seen->runtimeVersion, 0x010F0D80U);
    EXPECT_EQ(seen->interfaceVersion, 1U);
    const std::uint32_t versions[] = {0xFFFFFFFF, 1, 1, 2, 1, 0xFFFFFFFF};  // ids 0 to 5; none: 0xFFFFFFFF
    EXPECT_TRUE(std::equal(std::begin(versions), std::end(versions), std::begin(seen->interfaceVersions)));
    // The host's thread all along: no thread begun for the call, and the
    // thread-local data of DllMain's thread.
    EXPECT_EQ(seen->dllMainThread, GetCurrentThreadId());
    EXPECT_EQ(seen->loadThread, GetCurrentThreadId());
    EXPECT_EQ(seen->threadLocalSeen, GetCurrentThreadId());
    EXPECT_EQ(seen->threadAttachesBeforeLoad, 0);
    // Once all have loaded, the host tells of each by name.
    EXPECT_EQ(seen->infoVersionOfItself, 0x01020030U);
    // A task runs once, on the game's main thread, at the next frame: the
    // permanent tasks first, then every task given once, those they add
    // meanwhile included.
    EXPECT_EQ(seen->taskRuns, 0);
    sim::RunGameFrame();
    EXPECT_EQ(std::string(seen->taskOrder), "POF");
    sim::RunGameFrame();
    EXPECT_EQ(seen->taskRuns, 1);
    EXPECT_EQ(std::string(seen->taskOrder), "POFP");
    EXPECT_EQ(seen->taskThread, GetCurrentThreadId());
    // The trampoline hands out exactly the bytes asked for.
    EXPECT_EQ(seen->branchStep, 1);
    // Its Scaleform manager callback hears of the game's manager.
    EXPECT_EQ(seen->scaleformManager, nullptr);
    sim::ScaleformManagerMade();
    EXPECT_NE(seen->scaleformManager, nullptr);
}

// The file offset of `rva` in the PE file `bytes`.
std::size_t FileOffsetOf(const std::string& bytes, std::uint32_t rva)
{
    IMAGE_DOS_HEADER dos{};
    std::memcpy(&dos, bytes.data(), sizeof dos);
    IMAGE_NT_HEADERS64 nt{};
    std::memcpy(&nt, bytes.data() + dos.e_lfanew, sizeof nt);
    const std::size_t sections = static_cast<std::size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                 nt.FileHeader.SizeOfOptionalHeader;
    for (std::size_t i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section{};
        std::memcpy(&section, bytes.data() + sections + i * sizeof section, sizeof section);
        if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
            return rva - section.VirtualAddress + section.PointerToRawData;
    }
    return 0;
}

TEST_F(HostLoaderTest, AnExportTableWhoseOrdinalsAreNotInNameOrderIsReadRight)
{
    // Name i is given function ordinals[i], rotated by one: the function
    // table is laid out to match, so each name still means its function.
    std::string bytes = ReadFileBytes(bin_ / "test_plugin_inspects.dll");
    IMAGE_DOS_HEADER dos{};
    std::memcpy(&dos, bytes.data(), sizeof dos);
    IMAGE_NT_HEADERS64 nt{};
    std::memcpy(&nt, bytes.data() + dos.e_lfanew, sizeof nt);
    IMAGE_EXPORT_DIRECTORY exports{};
    const std::size_t directory =
        FileOffsetOf(bytes, nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    std::memcpy(&exports, bytes.data() + directory, sizeof exports);
    const std::size_t count = exports.NumberOfNames;
    ASSERT_GE(count, 3U);
    ASSERT_EQ(exports.NumberOfFunctions, count);
    const std::size_t functionsAt = FileOffsetOf(bytes, exports.AddressOfFunctions);
    const std::size_t ordinalsAt = FileOffsetOf(bytes, exports.AddressOfNameOrdinals);
    std::vector<std::uint32_t> functions(count);
    std::vector<std::uint16_t> ordinals(count);
    std::memcpy(functions.data(), bytes.data() + functionsAt, count * 4);
    std::memcpy(ordinals.data(), bytes.data() + ordinalsAt, count * 2);
    for (std::size_t i = 0; i < count; ++i)
        ASSERT_EQ(ordinals[i], i) << "the linker wrote them in name order";
    std::vector<std::uint32_t> laidOut(count);
    for (std::size_t i = 0; i < count; ++i) {
        ordinals[i] = static_cast<std::uint16_t>((i + 1) % count);
        laidOut[ordinals[i]] = functions[i];
    }
    std::memcpy(bytes.data() + functionsAt, laidOut.data(), count * 4);
    std::memcpy(bytes.data() + ordinalsAt, ordinals.data(), count * 2);
    std::ofstream(plugins_ / "Rotated.dll", std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    report = sim::StartHost(plugins_);
    EXPECT_TRUE(Logged("loading plugin \"Test plugin\""));
    EXPECT_TRUE(Logged("plugin Rotated.dll (00000001 Test plugin 01020030) loaded correctly (handle 1)"));
    const auto* seen = reinterpret_cast<const InspectorSeen*>(
        GetProcAddress(static_cast<HMODULE>(report.plugins[0].module), "TestPluginSeen"));
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->loadThread, GetCurrentThreadId()) << "its load function ran";
}

TEST_F(HostLoaderTest, AnExceptionRaisedInLoadIsContainedAndTheOthersLoad)
{
    Install("test_plugin_raises.dll", "Raiser.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_TRUE(Logged("plugin Raiser.dll (00000001 Test plugin 01020030) disabled, fatal error occurred while loading "
                       "plugin 0 (handle 1)"));
    EXPECT_TRUE(Logged(kLoaded + "2)"));
    sim::SendDataLoadedMessages();
    EXPECT_TRUE(sim::FindCommand("SetRandomName").has_value());
}

// The line of the plugin whose load call faults.
const std::string kFaultingLine =
    "plugin Faulting.dll (00000001 Test plugin 01020030) disabled, fatal error occurred while loading plugin 0 (handle 1)";

// The host's assertion in GetPluginHandle, as its sfse.txt has it.
const std::string kLateHandleAssertion = "Assertion failed in sfse\\PluginManager.cpp (300): A plugin has called "
                                         "SFSEInterface::GetPluginHandle outside of its Query/Load handlers";

TEST_F(HostLoaderTest, GetPluginHandleAfterTheLoadPhaseFailsTheHostsAssertion)
{
    Install("test_plugin_late_handle.dll", "Late.dll");
    report = sim::StartHost(plugins_);
    const std::string crash = std::string(sim::kCrashReport) + "the host halts on an illegal instruction after its failed assertion";
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "scanning plugin directory " + (fs::absolute(plugins_) / "").string(),
                         "checking plugin Late.dll",
                         "preinit complete",
                         "loading plugin \"Test plugin\"",
                         "registering plugin listener for SFSE at 1 of 3",
                         "plugin Late.dll (00000001 Test plugin 01020030) loaded correctly (handle 1)",
                         "dispatch message (0) to plugin listeners",
                         "sending message type 0 to plugin 1",
                         kLateHandleAssertion,
                         crash}));
    EXPECT_EQ(sim::Faults(), std::vector<std::string>{crash});
    sim::ForgetFaults();
}


TEST_F(HostLoaderTest, SfseTxtHoldsEveryLineTheHostWroteInItsOrderOnceInitCompleteWritesItOut)
{
    Install("test_plugin_faulting.dll", "Faulting.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    const std::string folder = (fs::absolute(plugins_) / "").string();
    const std::vector<std::string> file = HostLogFileLines();
    ASSERT_GE(file.size(), 4U);
    EXPECT_EQ(file[0].rfind("SFSE runtime: initialize (version = 0.2.17 010F0D80 ", 0), 0U) << file[0];
    EXPECT_EQ(std::vector<std::string>(file.begin() + 1, file.end()),
              (std::vector<std::string>{
                  "imagebase = 0000000180000000",  // the host DLL's, then the game's
                  "reloc mgr imagebase = 0000000140000000",
                  "plugin directory = " + folder,
                  "scanning plugin directory " + folder,
                  "checking plugin Faulting.dll",
                  "checking plugin Varnel.dll",
                  "preinit complete",
                  "loading plugin \"Test plugin\"",
                  kFaultingLine,
                  "loading plugin \"Varnel - SFSE Plugin by Dorrik\"",
                  "registering plugin listener for SFSE at 2 of 3",
                  kLoaded + "2)",
                  "dispatch message (0) to plugin listeners",
                  "sending message type 0 to plugin 2",
                  "dispatched message.",
                  "dispatch message (1) to plugin listeners",
                  "sending message type 1 to plugin 2",
                  "dispatched message.",
                  "init complete"}));
    // Later lines wait in the stream's buffer until the game exits.
    sim::SendDataLoadedMessages();
    EXPECT_EQ(HostLogFileLines().size(), file.size());
    sim::FlushHostLogFile();
    EXPECT_EQ(HostLogFileLines().size(), file.size() + 6);
}

// The file's bytes as they are on disk.
std::string HostLogFileBytes()
{
    std::ifstream file(LogsFolderBelow(DocumentsFolder()) / "sfse.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST_F(HostLoaderTest, ACrashBeforeInitCompleteLeavesSfseTxtAsItsStreamHadWrittenIt)
{
    // Each plugin without a record adds about 100 bytes; enough of them pass the
    // stream's 4096-byte buffer before the last plugin crashes the game.
    for (const std::size_t plugins : {std::size_t{0}, std::size_t{40}}) {
        SCOPED_TRACE(plugins);
        sim::UnloadPlugins(report);
        sim::StartRunningGame();
        fs::remove_all(plugins_);
        fs::create_directories(plugins_);
        for (std::size_t i = 0; i < plugins; ++i)
            Install("test_plugin_no_version.dll", "NoVersion" + std::to_string(100 + i) + ".dll");
        Install("test_plugin_late_handle.dll", "Zz_Late.dll");
        report = sim::StartHost(plugins_);
        ASSERT_EQ(sim::Host().log.back().rfind(sim::kCrashReport, 0), 0U);
        EXPECT_EQ(sim::Host().log[sim::Host().log.size() - 2], kLateHandleAssertion);
        std::string written;
        for (const std::string& line : sim::Host().log)
            written += line.rfind(sim::kCrashReport, 0) == 0 ? "" : line + "\n";
        ASSERT_EQ(written.size() > 4096, plugins > 0) << written.size();
        // The first 4096 bytes of what the host wrote, each LF as CR LF; nothing
        // when it wrote less.
        std::string expected = plugins == 0 ? "" : written.substr(0, 4096);
        for (std::size_t at = expected.find('\n'); at != std::string::npos; at = expected.find('\n', at + 2))
            expected.insert(at, 1, '\r');
        EXPECT_EQ(HostLogFileBytes(), expected);
        sim::ForgetFaults();
    }
}

TEST_F(HostLoaderTest, AnAssertionFailingInALoadCallIsThatPluginsFaultAndLoadingGoesOn)
{
    Install("test_plugin_exhausts_trampoline.dll", "Greedy.dll");
    Install("Varnel.dll", "Varnel.dll");
    report = sim::StartHost(plugins_);
    EXPECT_TRUE(Logged("plugin 1 allocated 65537 bytes from branch pool"));
    EXPECT_TRUE(Logged("Assertion failed in sfse\\PluginManager.cpp (870): false"));
    EXPECT_TRUE(Logged("plugin Greedy.dll (00000001 Test plugin 01020030) disabled, fatal error occurred while loading "
                       "plugin 0 (handle 1)"));
    EXPECT_TRUE(Logged(kLoaded + "2)"));
    EXPECT_TRUE(Logged("init complete"));
    EXPECT_FALSE(sim::Host().gone);
}

TEST_F(HostLoaderTest, APluginEndingTheGameInItsLoadLeavesSfseTxtEmptyAndVarnelLogAsFarAsItGot)
{
    Install("Varnel.dll", "Varnel.dll");
    Install("test_plugin_ends_game.dll", "Zz_Ends.dll");
    report = sim::StartHost(plugins_);
    EXPECT_TRUE(report.gameEnded);
    EXPECT_TRUE(report.boxes.empty());
    EXPECT_FALSE(Logged("init complete"));
    EXPECT_EQ(sim::Host().log.back().rfind(sim::kGameEndedReport, 0), 0U) << sim::Host().log.back();
    EXPECT_EQ(HostLogFileBytes(), "") << "nothing was written out before the process ended";
    const std::vector<std::string> varnel = PluginLogLines();
    ASSERT_EQ(varnel.size(), 2U);
    EXPECT_NE(varnel[0].find(", loaded by the script extender; game image base "), std::string::npos) << varnel[0];
    EXPECT_EQ(varnel[1], "Listening to the script extender's messages (plugin handle 1)");
    EXPECT_EQ(sim::Faults(), std::vector<std::string>{}) << "an ended game is no crash";
}

// SFSE's loader on what a game folder holds: the box it stops with (none when
// it starts the game), and lines of sfse_loader.txt.
TEST_F(HostLoaderTest, TheLoaderStopsAtTheFirstThingInTheGameFolderThatIsNotRight)
{
    using sim::GameStore;
    const fs::path game = fs::current_path();
    const std::string folder = (game / "").string();
    constexpr std::uint32_t k222 = 0x010F0DE0;
    const sim::HostRelease& release = sim::kHostReleases[0];
    const sim::HostRelease old{0x000200D0, sim::kGameRuntime};  // 0.2.13, before the signature
    auto steam = [&](std::uint32_t runtime) {
        sim::WriteGameExe(game, runtime, GameStore::Steam);
        sim::WriteHostFiles(game, release);
    };
    auto store = [&](GameStore kind) {
        sim::WriteGameExe(game, sim::kGameRuntime, kind);
        sim::WriteHostFiles(game, release);
    };
    auto missingDll = [&](const std::string& dll, const std::string& version) {
        return "Couldn't find SFSE DLL (" + folder + dll + ").\nEither you have not installed SFSE correctly, or a new "
               "version of Starfield has been released.\nPlease make sure you have installed SFSE correctly and are "
               "running it from your Starfield folder.\nIf a game patch was released since you last ran the game, please "
               "check the website for updates.\nYou have game version " + version + " installed. The loader is not lying "
               "to you.\nCheck your game installation if you are still confused.";
    };
    struct Case {
        const char* what;
        std::function<void()> make;
        std::string loaderName;
        std::optional<std::string> box;  // none: the game starts, or the loader stops without one
        std::vector<std::string> lines;  // in sfse_loader.txt, in this order
    };
    const Case cases[] = {
        {"a Steam installation", [&] { steam(sim::kGameRuntime); }, "sfse_loader.exe", std::nullopt,
         {"config path = " + folder + "Data\\SFSE\\sfse.ini", "procPath = " + folder + "Starfield.exe",
          "launching: Starfield.exe (" + folder + "Starfield.exe)", "dwSignature = FEEF04BD",
          "dwFileVersionMS = 0001000F", "dwFileVersionLS = 00D80000", "dwFileDateLS = 00000000",
          "productVersionStr = 1.15.216.0", "version = 0001000F00D80000", "product name = Starfield", "steam exe",
          "dll = " + folder + "sfse_1_15_216.dll", "launching"}},
        {"the loader renamed as the game", [&] { steam(sim::kGameRuntime); }, "Starfield.exe",
         "You have renamed sfse_loader and have not specified the name of the runtime.", {}},
        {"no Starfield.exe", [&] { sim::WriteHostFiles(game, release); }, "sfse_loader.exe",
         "Couldn't find Starfield.exe.", {"exe open check error = 00000002"}},
        {"Game Pass: the exe cannot be opened, its manifest beside it",
         [&] {
             fs::create_directory(game / "Starfield.exe");
             std::ofstream(game / "appxmanifest.xml") << "<Package/>";
         },
         "sfse_loader.exe", "You have the MS Store/Gamepass version of Starfield, which is not compatible with SFSE.",
         {"exe open check error = 00000005"}},
        {"an exe without version information",
         [&] { std::ofstream(game / "Starfield.exe", std::ios::binary) << sim::PeFileBytes({}); }, "sfse_loader.exe",
         "Couldn't retrieve EXE version information.", {}},
        {"the loader copied as the game: its product version has three parts", [&] {
             sim::WriteHostFiles(game, release);
             fs::copy_file(game / "sfse_loader.exe", game / "Starfield.exe");
         }, "sfse_loader.exe", "Couldn't retrieve EXE version information.", {"productVersionStr = 1.1.1"}},
        {"the Game Pass exe", [&] { store(GameStore::GamePass); }, "sfse_loader.exe",
         "The Windows Store (gamepass) version of Starfield is not supported.", {"winstore exe", "unknown exe"}},
        {"the Epic exe", [&] { store(GameStore::Epic); }, "sfse_loader.exe",
         "The Epic Store version of Starfield is not supported.", {"epic exe", "unknown exe"}},
        {"a packed exe", [&] { store(GameStore::Packed); }, "sfse_loader.exe",
         "Packed versions of Starfield are not supported.", {"packed exe", "unknown exe"}},
        {"the GOG exe", [&] { store(GameStore::Gog); }, "sfse_loader.exe",
         missingDll("sfse_1_15_216_gog.dll", "1.15.216"), {"gog exe"}},
        {"the game updated past SFSE", [&] { steam(k222); }, "sfse_loader.exe", missingDll("sfse_1_15_222.dll", "1.15.222"),
         {"productVersionStr = 1.15.222.0", "version = 0001000F00DE0000", "dll = " + folder + "sfse_1_15_222.dll"}},
        {"another release's DLL renamed", [&] {
             steam(sim::kGameRuntime);
             sim::WriteHostDll(game / "sfse_1_15_216.dll", sim::kHostReleases[1], k222);
         }, "sfse_loader.exe",
         "Bad SFSE DLL (" + folder + "sfse_1_15_216.dll).\nDo not rename files; it will not magically make anything "
         "work.\n010F0D80 010F0DE0",
         {"SFSE DLL version", "dwFileVersionMS = 00000000", "dwFileVersionLS = 00020012", "productName = SFSE",
          "productVersion = 0, 0, 2, 18"}},
        {"a DLL from before the signature", [&] {
             steam(sim::kGameRuntime);
             sim::WriteHostDll(game / "sfse_1_15_216.dll", old, 0x010E0460);
         }, "sfse_loader.exe",
         "Old SFSE DLL (" + folder + "sfse_1_15_216.dll).\nPlease make sure that you have replaced all files with their "
         "new versions.\nDLL version (0, 0, 2, 13) EXE version (0.2.17)",
         {"dwFileVersionLS = 0002000D"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* file : {"Starfield.exe", "appxmanifest.xml", "sfse_loader.exe", "sfse_1_15_216.dll"})
            fs::remove_all(game / file);
        c.make();
        const sim::LoaderRun run = sim::RunLoader(game, release, c.loaderName);
        EXPECT_EQ(run.started, !c.lines.empty() && c.lines.back() == "launching");
        EXPECT_EQ(run.box, c.box);
        ASSERT_FALSE(run.log.empty());
        EXPECT_EQ(run.log[0].rfind("SFSE loader: initialize (version = 0.2.17 01010010 ", 0), 0U) << run.log[0];
        if (c.box) {
            EXPECT_NE(std::find(run.log.begin(), run.log.end(), *c.box), run.log.end()) << "the box's text is in the log";
        }
        auto at = run.log.begin();
        for (const std::string& line : c.lines) {
            at = std::find(at, run.log.end(), line);
            EXPECT_NE(at, run.log.end()) << line;
        }
        // The file as its text-mode stream writes it: a message's own LFs end lines too.
        std::vector<std::string> fileLines;
        for (const std::string& line : run.log) {
            std::istringstream parts(line);
            for (std::string part; std::getline(parts, part);)
                fileLines.push_back(part);
        }
        EXPECT_EQ(CrLfLinesOf(LogsFolderBelow(DocumentsFolder()) / "sfse_loader.txt"), fileLines);
    }
}

}  // namespace
