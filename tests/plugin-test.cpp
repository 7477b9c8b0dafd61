// The real DLL, loaded into the simulated game as the host loads it.
#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/game/game_image.h"
#include "sim/process.h"
#include "sim/host/host.h"
#include "sim/host/pe_image.h"
#include "support/plugin_loader.h"
#include "sim/game/references.h"
#include "support/expected_version.h"
#include "support/player_logs.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <mutex>
#include <iterator>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

const LoadedPlugin& Plugin()
{
    static const LoadedPlugin plugin = LoadPluginLibrary("Varnel.dll");
    return plugin;
}

std::vector<sim::EntryBytes> TableBytes(std::size_t entries)
{
    std::vector<sim::EntryBytes> table;
    for (std::size_t i = 0; i < entries; ++i)
        table.push_back(sim::CommandEntryBytes(i));
    return table;
}

template <typename T>
T Field(std::size_t entry, std::size_t offset)
{
    return sim::Load<T>(sim::CommandEntry(entry), offset);
}

// The plugin's first log line, spelled here.
std::string LoadLogLine()
{
    char base[19];
    std::snprintf(base, sizeof base, "0x%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr))));
    const std::string runtime = std::to_string(VARNEL_GAME_RUNTIME_MAJOR) + "." +
                                std::to_string(VARNEL_GAME_RUNTIME_MINOR) + "." +
                                std::to_string(VARNEL_GAME_RUNTIME_BUILD);
    return "Varnel - SFSE Plugin by Dorrik " VARNEL_VERSION_TEXT " (Varnel.dll), built for Starfield " + runtime +
           ", loaded by the script extender; game image base " + base;
}

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::StartRunningGame();
        ASSERT_NE(Plugin().module, nullptr) << "Varnel.dll did not load";
        ASSERT_NE(Plugin().load, nullptr);
    }

    void TearDown() override
    {
        EXPECT_EQ(sim::Faults(), std::vector<std::string>{}) << "the real game would have crashed";
    }

    bool Load() { return Plugin().load(sim::HostInterfaceRecord()); }

    // Lays `commands`, loads the plugin and delivers one data-loaded message.
    void InstallInto(const std::vector<sim::CommandSpec>& commands)
    {
        sim::LayCommandTable(commands);
        ASSERT_TRUE(Load());
        sim::SendHostMessage(sfse::kHostMessageDataLoaded);
    }

    void ExpectTableUnchanged(const std::vector<sim::CommandSpec>& commands)
    {
        sim::LayCommandTable(commands);
        const auto before = TableBytes(commands.size());
        ASSERT_TRUE(Load());
        sim::SendHostMessage(sfse::kHostMessageDataLoaded);
        EXPECT_EQ(TableBytes(commands.size()), before);
    }
};

TEST_F(PluginTest, LoadRegistersWithTheHost)
{
    sim::Host().pluginHandle = 0x1234;
    EXPECT_TRUE(Load());
    const auto& host = sim::Host();
    EXPECT_EQ(sim::Calls().handleRequests, 1);
    EXPECT_EQ(sim::Calls().queriedIds, (std::vector<std::uint32_t>{1, 3}));
    ASSERT_EQ(host.listeners.size(), 1U);
    EXPECT_EQ(host.listeners[0].plugin, 0x1234U);
    EXPECT_EQ(host.listeners[0].sender, "SFSE");
    EXPECT_NE(host.listeners[0].listener, nullptr);
    ASSERT_EQ(host.menuCallbacks.size(), 1U);
    ASSERT_NE(host.menuCallbacks[0], nullptr);
    host.menuCallbacks[0](nullptr);  // does nothing, returns
    EXPECT_EQ(sim::Calls().wrongSlotCalls, 0);
}

TEST_F(PluginTest, LogTellsTheLoadTheListenerAndTheTakeOverOnce)
{
    sim::Host().pluginHandle = 0x1234;
    const auto commands = sim::GameCommands();
    InstallInto(commands);
    sim::SendHostMessage(sfse::kHostMessageDataLoaded);
    char opcode[11];
    std::snprintf(opcode, sizeof opcode, "0x%08X", commands[*sim::FindCommand("SetRandomName")].opcode);
    EXPECT_EQ(PluginLogLines(),
              (std::vector<std::string>{LoadLogLine(), "Listening to the script extender's messages (plugin handle 4660)",
                                        "SetRandomName installed in place of TogglePathLine: console command entry " +
                                            std::to_string(*sim::FindCommand("SetRandomName")) + ", opcode " + opcode}));
}

TEST_F(PluginTest, LoadReadsNoResultFromTheMenuRegistration)
{
    // The host's menu registration returns nothing; the simulated one leaves
    // 0 where a result would be.
    EXPECT_TRUE(Load());
    EXPECT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().menuCallbacks.size(), 1U);
}

TEST_F(PluginTest, RefusedListenerFailsTheLoadAndHandsNothingOn)
{
    // The host refuses a handle above its count; its answer is false in the
    // low 8 bits only.
    sim::Host().pluginHandle = 5;
    sim::Host().pluginCount = 4;
    EXPECT_FALSE(Load());
    EXPECT_EQ(sim::Calls().refusedListeners, std::vector<std::uint32_t>{5});
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().menuCallbacks.empty());
    EXPECT_EQ(sim::Calls().queriedIds, (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(PluginLogLines(),
              (std::vector<std::string>{LoadLogLine(),
                                        "The script extender refused the listener of plugin handle 5. The usual cause is "
                                        "plugins before Varnel.dll in Data\\SFSE\\Plugins that failed to load (see "
                                        "sfse.txt in this folder): SetRandomName will not be offered."}));

    sim::ResetHost();
    sim::Host().pluginHandle = 5;
    sim::Host().pluginCount = 5;
    EXPECT_TRUE(Load());
    EXPECT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().menuCallbacks.size(), 1U);
}

TEST_F(PluginTest, LoadFailsWithoutEitherInterface)
{
    sim::Settings().offersMessaging = false;
    EXPECT_FALSE(Load());
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().menuCallbacks.empty());

    sim::ResetHost();
    sim::Settings().offersMenus = false;
    EXPECT_FALSE(Load());
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().menuCallbacks.empty());
}

TEST_F(PluginTest, OnlyTheDataLoadedMessageInstalls)
{
    const auto commands = sim::GameCommands();
    sim::LayCommandTable(commands);
    const auto before = TableBytes(commands.size());
    ASSERT_TRUE(Load());
    for (std::uint32_t type : {0U, 1U, 3U, 4U, 8U, 0x102U, 0xFFFFFFFFU})
        sim::SendHostMessage(type);
    EXPECT_EQ(TableBytes(commands.size()), before);
}

TEST_F(PluginTest, InstallationRewritesTogglePathLineOnly)
{
    const auto commands = sim::GameCommands();
    sim::LayCommandTable(commands);
    const auto before = TableBytes(commands.size());
    const std::size_t toggle = *sim::FindCommand("TogglePathLine");
    const std::size_t closeFile = *sim::FindCommand("CloseFile");
    ASSERT_TRUE(Load());
    sim::SendHostMessage(sfse::kHostMessageDataLoaded);

    EXPECT_STREQ(Field<const char*>(toggle, sim::kEntryNameAt), "SetRandomName");
    EXPECT_STREQ(Field<const char*>(toggle, sim::kEntrySecondTextAt), "added by Varnel - SFSE Plugin by Dorrik");
    const char* help = Field<const char*>(toggle, sim::kEntryHelpTextAt);
    ASSERT_NE(help, nullptr);
    EXPECT_STREQ(help, "");
    EXPECT_EQ(Field<std::uint8_t>(toggle, sim::kEntryFlagAt), 1);
    EXPECT_EQ(Field<std::uint16_t>(toggle, sim::kEntryParameterCountAt), 1);
    EXPECT_EQ(Field<const void*>(toggle, sim::kEntryParameterDescriptionAt), sim::ParameterDescriptionOf(closeFile));
    EXPECT_NE(Field<const void*>(toggle, sim::kEntryExecuteAt), nullptr);

    // Every byte that is not one of the written fields keeps its value.
    const auto after = TableBytes(commands.size());
    const std::pair<std::size_t, std::size_t> written[] = {{0x00, 8}, {0x08, 8}, {0x18, 8}, {0x20, 1},
                                                           {0x22, 2}, {0x28, 8}, {0x30, 8}};
    for (std::size_t entry = 0; entry < commands.size(); ++entry) {
        for (std::size_t byte = 0; byte < sim::kCommandEntrySize; ++byte) {
            bool isWritten = false;
            for (const auto& [at, size] : written)
                isWritten = isWritten || (entry == toggle && byte >= at && byte < at + size);
            if (!isWritten) {
                EXPECT_EQ(after[entry][byte], before[entry][byte]) << "entry " << entry << " byte " << byte;
            }
        }
    }
}

TEST_F(PluginTest, SecondDataLoadedMessageChangesNothing)
{
    InstallInto(sim::GameCommands());
    const auto installed = TableBytes(sim::GameCommands().size());
    sim::SendHostMessage(sfse::kHostMessageDataLoaded);
    EXPECT_EQ(TableBytes(sim::GameCommands().size()), installed);
}

TEST_F(PluginTest, LoadAnswersFalseWhenTheHostThrowsAtAnyStep)
{
    for (const char* call : {"getPluginHandle", "queryInterface", "registerListener", "registerMenuMovieCallback"}) {
        SCOPED_TRACE(call);
        sim::ResetHost();
        sim::Settings().throwingCall = call;
        EXPECT_FALSE(Load());
    }
}

TEST_F(PluginTest, EitherCommandMayBeTheTablesFirstEntry)
{
    InstallInto({{"TogglePathLine", 0x100}, {"CloseFile", 0x101}, {"End", 0x347}});
    EXPECT_STREQ(Field<const char*>(0, sim::kEntryNameAt), "SetRandomName");
    EXPECT_EQ(Field<const void*>(0, sim::kEntryParameterDescriptionAt), sim::ParameterDescriptionOf(1));

    sim::ResetHost();
    InstallInto({{"CloseFile", 0x100}, {"TogglePathLine", 0x101}, {"End", 0x347}});
    EXPECT_STREQ(Field<const char*>(1, sim::kEntryNameAt), "SetRandomName");
    EXPECT_EQ(Field<const void*>(1, sim::kEntryParameterDescriptionAt), sim::ParameterDescriptionOf(0));
}

TEST_F(PluginTest, SearchSkipsNullNamesAndFindsEitherOrder)
{
    InstallInto({{std::nullopt, 0x100}, {"TogglePathLine", 0x101}, {std::nullopt, 0x102}, {"CloseFile", 0x103},
                 {"End", 0x347}});
    EXPECT_STREQ(Field<const char*>(1, sim::kEntryNameAt), "SetRandomName");
    EXPECT_EQ(Field<const void*>(1, sim::kEntryParameterDescriptionAt), sim::ParameterDescriptionOf(3));
    EXPECT_EQ(Field<std::uint32_t>(1, sim::kEntryOpcodeAt), 0x101U);
}

TEST_F(PluginTest, TheLastCommandOfTheTableIsSearched)
{
    // The real table's last command has opcode 0x346; the walk ends at 0x347.
    InstallInto({{"TogglePathLine", 0x100}, {"Show", 0x101}, {"CloseFile", 0x346}, {"End", 0x347}});
    EXPECT_STREQ(Field<const char*>(0, sim::kEntryNameAt), "SetRandomName");
    EXPECT_EQ(Field<const void*>(0, sim::kEntryParameterDescriptionAt), sim::ParameterDescriptionOf(2));

    sim::ResetHost();
    InstallInto({{"CloseFile", 0x100}, {"Show", 0x101}, {"TogglePathLine", 0x346}, {"End", 0x347}});
    EXPECT_STREQ(Field<const char*>(2, sim::kEntryNameAt), "SetRandomName");
    EXPECT_EQ(Field<std::uint32_t>(2, sim::kEntryOpcodeAt), 0x346U);
    EXPECT_EQ(Field<const void*>(2, sim::kEntryParameterDescriptionAt), sim::ParameterDescriptionOf(0));
}

TEST_F(PluginTest, TablesThatLackAMatchStayAsTheyAreAndTheLogSaysWhichNameWasMissing)
{
    struct Table {
        std::vector<sim::CommandSpec> commands;
        const char* missing;       // the name the log says is not there
        std::size_t searched;      // among how many entries
    };
    const Table tables[] = {
        {{{"TogglePathLine", 0x100}, {"Show", 0x101}, {"End", 0x347}}, "CloseFile", 2},
        {{{"CloseFile", 0x100}, {"Show", 0x101}, {"End", 0x347}}, "TogglePathLine", 2},
        // names that differ only in case
        {{{"closefile", 0x100}, {"TogglePathLine", 0x101}, {"End", 0x347}}, "CloseFile", 2},
        {{{"CloseFile", 0x100}, {"togglepathline", 0x101}, {"TOGGLEPATHLINE", 0x102}, {"End", 0x347}},
         "TogglePathLine", 3},
        // a longer or shorter name
        {{{"CloseFiles", 0x100}, {"TogglePathLin", 0x101}, {"End", 0x347}}, "CloseFile", 2},
        // the table ends (opcode 0x347 or more) before a match
        {{{"CloseFile", 0x347}, {"TogglePathLine", 0x100}, {"End", 0x347}}, "CloseFile", 0},
        {{{"Show", 0x100}, {"End", 0x348}, {"CloseFile", 0x101}, {"TogglePathLine", 0x102}, {"End", 0x347}},
         "CloseFile", 1},
        {{{"CloseFile", 0x100}, {"End", 0xFFFFFFFF}, {"TogglePathLine", 0x102}, {"End", 0x347}}, "TogglePathLine", 1},
        // a wanted name at opcode 0x347 is past the end
        {{{"TogglePathLine", 0x100}, {"Show", 0x346}, {"CloseFile", 0x347}, {"End", 0x347}}, "CloseFile", 2},
        {{{"CloseFile", 0x100}, {"Show", 0x346}, {"TogglePathLine", 0x347}, {"End", 0x347}}, "TogglePathLine", 2},
    };
    for (std::size_t i = 0; i < std::size(tables); ++i) {
        SCOPED_TRACE("table " + std::to_string(i));
        sim::ResetHost();
        ExpectTableUnchanged(tables[i].commands);
        const auto log = PluginLogLines();
        ASSERT_EQ(log.size(), 3U);
        EXPECT_EQ(log[2], std::string("SetRandomName not installed: no \"") + tables[i].missing + "\" among the " +
                              std::to_string(tables[i].searched) +
                              " entries of the console command table. Most likely another plugin has taken or "
                              "renamed the command.");
    }
}

// The plugin's file handles, counted through its imports.
struct HandleRecord {
    HANDLE(WINAPI* createFile)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) = nullptr;
    BOOL(WINAPI* close)(HANDLE) = nullptr;
    std::multiset<HANDLE> opened;
    std::multiset<HANDLE> closed;
} handles;

HANDLE WINAPI CountedOpen(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD creation,
                          DWORD flags, HANDLE from)
{
    HANDLE handle = handles.createFile(path, access, share, security, creation, flags, from);
    if (handle != INVALID_HANDLE_VALUE)
        handles.opened.insert(handle);
    return handle;
}

BOOL WINAPI CountedClose(HANDLE handle)
{
    handles.closed.insert(handle);
    return handles.close(handle);
}

TEST_F(PluginTest, InstalledCommandRenamesTheSelectedReference)
{
    const ScratchFolder scratch = EnterScratchFolder();
    WriteNameList("FemaleNames.txt", "Anna\r\nBeth\r\n");
    InstallInto(sim::GameCommands());
    const std::size_t entry = *sim::FindCommand("SetRandomName");
    auto reference = sim::MakeReference(0x1A, 75, "Settler");
    sim::ClearConsole();

    EXPECT_TRUE(sim::RunCommand(entry, sim::ComposeParameterBlock({"female"}), sim::Selected(*reference)));
    const std::string name = sim::ShownName(*reference);
    EXPECT_TRUE(name == "Anna" || name == "Beth") << name;
    auto seen = sim::ConsoleSeen();
    EXPECT_TRUE(seen.lines.empty());
    ASSERT_EQ(seen.executed.size(), 1U);
    EXPECT_EQ(seen.executed[0].executor, "the game's console line executor");
    EXPECT_EQ(seen.executed[0].line, "CGF \"Varnel.RenameRefFromCachedData\" 0000001A");

    sim::ClearConsole();
    EXPECT_FALSE(sim::RunCommand(entry, sim::ComposeParameterBlock({"male"}, sim::BlockHeader::Long),
                                 sim::Selected(*reference)));
    seen = sim::ConsoleSeen();
    EXPECT_EQ(seen.lines, (std::vector<std::string>{
                              "Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting "
                              "function call.",
                              "Error: int 'NameCount' is out of range. Aborting function call."}));
    EXPECT_EQ(sim::ShownName(*reference), name);
    EXPECT_FALSE(sim::RunCommand(entry, sim::ComposeParameterBlock({"fe\x01male\xFF"}), sim::Selected(*reference)));

    // Each command's log line: the rename, the failures with their facts.
    const std::u8string folder = (std::filesystem::current_path() / "Data" / "SFSE" / "Plugins").u8string();
    const std::string lists(folder.begin(), folder.end());
    const auto log = PluginLogLines();
    ASSERT_EQ(log.size(), 6U);
    EXPECT_EQ(log[3].rfind("SetRandomName: 0000001A is now \"" + name + "\", line ", 0), 0U) << log[3];
    EXPECT_NE(log[3].find(" of 2 drawn from " + lists + "\\FemaleNames.txt; script call \"CGF "
                          "\"Varnel.RenameRefFromCachedData\" 0000001A\""),
              std::string::npos)
        << log[3];
    EXPECT_EQ(log[4], "SetRandomName failed: \"Error: name database file couldn't be found in ./Data/SFSE/Plugins. "
                      "Aborting function call.\" then \"Error: int 'NameCount' is out of range. Aborting function "
                      "call.\"; type code 75; reference 0000001A; argument \"male\"; list " +
                          lists + "\\MaleNames.txt (missing); NameCount 0");
    EXPECT_EQ(log[5], "SetRandomName failed: \"Error: command parameter is not supported. Aborting function call.\"; "
                      "type code 75; reference 0000001A; argument \"fe\\x01male\\xFF\"");

    // Every list file each command opens is closed again, those that find a
    // name and those that fail alike: the game's handles stay level.
    void* open = sim::ReplaceImport(Plugin().module, "KERNEL32.dll", "CreateFileW", reinterpret_cast<void*>(&CountedOpen));
    void* close = sim::ReplaceImport(Plugin().module, "KERNEL32.dll", "CloseHandle", reinterpret_cast<void*>(&CountedClose));
    ASSERT_NE(open, nullptr);
    ASSERT_NE(close, nullptr);
    handles = {};
    handles.createFile = reinterpret_cast<decltype(handles.createFile)>(open);
    handles.close = reinterpret_cast<decltype(handles.close)>(close);
    for (int i = 0; i < 40; ++i)
        sim::RunCommand(entry, sim::ComposeParameterBlock({i % 2 == 0 ? "female" : "male"}), sim::Selected(*reference));
    sim::ReplaceImport(Plugin().module, "KERNEL32.dll", "CreateFileW", open);
    sim::ReplaceImport(Plugin().module, "KERNEL32.dll", "CloseHandle", close);
    EXPECT_GE(handles.opened.size(), 40U);
    EXPECT_EQ(handles.opened, handles.closed) << "list files left open";
    LeaveScratchFolder(scratch);
}

// Documents, as the plugin's lookup will give it: a test's own folder, or
// none (an empty path).
std::wstring documentsGiven;

HRESULT WINAPI GiveDocuments(REFKNOWNFOLDERID /*folder*/, DWORD /*flags*/, HANDLE /*user*/, PWSTR* path)
{
    *path = nullptr;
    if (documentsGiven.empty())
        return E_FAIL;
    const std::size_t bytes = (documentsGiven.size() + 1) * sizeof(wchar_t);
    *path = static_cast<PWSTR>(CoTaskMemAlloc(bytes));
    std::memcpy(*path, documentsGiven.c_str(), bytes);
    return S_OK;
}

// Windows refuses to open a read-only file for writing; Wine, run as root,
// does not. The plugin's file opening goes through this during a session.
struct OpenRecord {
    HANDLE(WINAPI* open)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) = nullptr;
} opens;

HANDLE WINAPI OpenAsWindowsDoes(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD creation, DWORD flags, HANDLE from)
{
    const DWORD attributes = GetFileAttributesW(path);
    const DWORD writing = GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 && (access & writing) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return opens.open(path, access, share, security, creation, flags, from);
}

// What a short session through the real DLL shows: each command's result,
// its console lines and script calls, and the names the references end with.
struct SessionSeen {
    std::vector<bool> results;
    std::vector<std::string> lines;
    std::vector<std::string> executed;
    std::vector<std::string> names;
    bool operator==(const SessionSeen&) const = default;
};

class PluginLogTest : public PluginTest {
protected:
    // A session with the Documents folder `documents` (empty: none), files
    // opened as Windows opens them.
    SessionSeen RunSession(const std::wstring& documents)
    {
        documentsGiven = documents;
        void* lookup = sim::ReplaceImport(Plugin().module, "SHELL32.dll", "SHGetKnownFolderPath",
                                   reinterpret_cast<void*>(&GiveDocuments));
        EXPECT_NE(lookup, nullptr);
        void* open = sim::ReplaceImport(Plugin().module, "KERNEL32.dll", "CreateFileW",
                                 reinterpret_cast<void*>(&OpenAsWindowsDoes));
        opens.open = reinterpret_cast<decltype(opens.open)>(open);
        sim::ResetHost();
        InstallInto(sim::GameCommands());
        sim::ReplaceImport(Plugin().module, "SHELL32.dll", "SHGetKnownFolderPath", lookup);
        const std::size_t entry = *sim::FindCommand("SetRandomName");
        auto actor = sim::MakeReference(0x1A, 75, "Settler");
        auto stubborn = sim::MakeReference(0x1B, 75, "Keeper");
        stubborn->extraList.setting = sim::NameSetting::Ignore;
        const std::pair<const char*, sim::Reference*> commands[] = {
            {"female", actor.get()}, {"male", actor.get()}, {"bogus", actor.get()}, {"female", stubborn.get()}};
        SessionSeen seen;
        sim::ClearConsole();
        for (const auto& [argument, reference] : commands)
            seen.results.push_back(sim::RunCommand(entry, sim::ComposeParameterBlock({argument}),
                                                   sim::Selected(*reference)));
        const auto console = sim::ConsoleSeen();
        seen.lines = console.lines;
        for (const auto& executed : console.executed)
            seen.executed.push_back(executed.line);
        seen.names = {sim::ShownName(*actor), sim::ShownName(*stubborn)};
        sim::ReplaceImport(Plugin().module, "KERNEL32.dll", "CreateFileW", open);
        return seen;
    }

    void SetUp() override
    {
        PluginTest::SetUp();
        scratch_ = EnterScratchFolder();
        WriteNameList("FemaleNames.txt", "Una\r\n");
    }
    void TearDown() override
    {
        LeaveScratchFolder(scratch_);
        PluginTest::TearDown();
    }

    ScratchFolder scratch_;
};

// A Documents folder of the test's own, beside the player's: the plugin
// keeps its log open, so it is never removed while the process runs.
std::filesystem::path MovedDocuments(const std::wstring& name)
{
    auto path = DocumentsFolder().parent_path() / name;
    std::filesystem::create_directories(path);
    return path;
}

TEST_F(PluginLogTest, LogFollowsDocumentsWhereverItIs)
{
    const auto documents = MovedDocuments(L"Dokumente von Zo\u00EB \u7F8E\u54B2");
    const SessionSeen seen = RunSession(documents.wstring());
    EXPECT_EQ(seen.results, (std::vector<bool>{true, false, false, false}));
    const auto log = LogLinesOf(LogsFolderBelow(documents) / "Varnel.log");
    ASSERT_EQ(log.size(), 7U);
    EXPECT_EQ(log[0], LoadLogLine());
    EXPECT_EQ(log[3].rfind("SetRandomName: 0000001A is now \"Una\"", 0), 0U) << log[3];
}

TEST_F(PluginLogTest, ALogThatCannotBeHadChangesNothingElse)
{
    const auto documents = MovedDocuments(L"Documents with a log");
    const SessionSeen withLog = RunSession(documents.wstring());
    EXPECT_EQ(PluginLogLines(), std::vector<std::string>{}) << "the lookup's own Documents got the log";
    ASSERT_EQ(LogLinesOf(LogsFolderBelow(documents) / "Varnel.log").size(), 7U);

    // Each obstacle in a Documents folder of its own; `make` returns the
    // folder the lookup gives, `check` looks at what is left afterwards.
    struct Obstacle {
        const wchar_t* what;
        std::function<std::wstring(const std::filesystem::path& logs)> make;
        std::function<void(const std::filesystem::path& logs)> check;
    };
    HANDLE held = INVALID_HANDLE_VALUE;
    const Obstacle obstacles[] = {
        {L"a file where the Logs folder should be",
         [](const std::filesystem::path& logs) {
             std::filesystem::create_directories(logs.parent_path());
             std::ofstream(logs) << "not a folder";
             return logs.parent_path().parent_path().parent_path().parent_path().wstring();
         },
         [](const std::filesystem::path& logs) { EXPECT_TRUE(std::filesystem::is_regular_file(logs)); }},
        {L"a read-only log",
         [](const std::filesystem::path& logs) {
             std::filesystem::create_directories(logs);
             std::ofstream(logs / "Varnel.log", std::ios::binary) << "kept\r\n";
             SetFileAttributesW((logs / "Varnel.log").c_str(), FILE_ATTRIBUTE_READONLY);
             return logs.parent_path().parent_path().parent_path().parent_path().wstring();
         },
         [](const std::filesystem::path& logs) {
             std::ifstream file(logs / "Varnel.log", std::ios::binary);
             EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "kept\r\n");
         }},
        {L"a log another program holds",
         [&held](const std::filesystem::path& logs) {
             std::filesystem::create_directories(logs);
             held = CreateFileW((logs / "Varnel.log").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                0, nullptr);
             EXPECT_NE(held, INVALID_HANDLE_VALUE);
             return logs.parent_path().parent_path().parent_path().parent_path().wstring();
         },
         [&held](const std::filesystem::path&) {
             EXPECT_EQ(GetFileSize(held, nullptr), 0U);
             CloseHandle(held);
         }},
        {L"no Documents folder", [](const std::filesystem::path&) { return std::wstring(); },
         [](const std::filesystem::path&) {}},
        {L"a path too long",
         [](const std::filesystem::path& logs) {
             return logs.parent_path().parent_path().parent_path().parent_path().wstring() + L"\\" +
                    std::wstring(240, L'x');
         },
         [](const std::filesystem::path&) {}},
    };
    for (const auto& obstacle : obstacles) {
        SCOPED_TRACE(std::filesystem::path(obstacle.what).string());
        const auto logs = LogsFolderBelow(MovedDocuments(obstacle.what));
        EXPECT_EQ(RunSession(obstacle.make(logs)), withLog);
        obstacle.check(logs);
    }
    EXPECT_EQ(PluginLogLines(), std::vector<std::string>{});
}

TEST_F(PluginLogTest, OneGameStartLogsAtMostOneMebibyte)
{
    const auto documents = MovedDocuments(L"Documents elsewhere");
    RunSession(documents.wstring());
    const std::size_t entry = *sim::FindCommand("SetRandomName");
    auto actor = sim::MakeReference(0x1A, 75, "Settler");
    // Each line quotes the argument, its 255 control bytes escaped: about 1 KB.
    const auto block = sim::ComposeParameterBlock({std::string(255, '\x01')});
    for (int i = 0; i < 1100; ++i)
        EXPECT_FALSE(sim::RunCommand(entry, block, sim::Selected(*actor)));
    const auto logFile = LogsFolderBelow(documents) / "Varnel.log";
    EXPECT_LE(std::filesystem::file_size(logFile), 1024U * 1024U);
    EXPECT_GT(std::filesystem::file_size(logFile), 1024U * 1024U - 1200U);
    const auto log = LogLinesOf(logFile);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "The log has reached 1 MiB for this game start; later lines are left out.");
    EXPECT_EQ(std::count(log.begin(), log.end(), log.back()), 1);
    sim::ClearConsole();
    EXPECT_FALSE(sim::RunCommand(entry, block, sim::Selected(*actor)));
    EXPECT_EQ(sim::ConsoleSeen().lines,
              std::vector<std::string>{"Error: command parameter is not supported. Aborting function call."});
}

// Windows appends each write to a file opened for appending whole, whichever
// thread makes it; Wine does not (two threads lose about a third of their
// bytes), so the test writes as Windows does, and sees each write on its way.
struct AppendRecord {
    BOOL(WINAPI* write)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = nullptr;
    std::mutex order;
    std::vector<std::string> writes;
} appends;

BOOL WINAPI AppendAsWindowsDoes(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    const std::lock_guard lock(appends.order);
    appends.writes.emplace_back(static_cast<const char*>(bytes), size);
    return appends.write(file, bytes, size, written, overlapped);
}

TEST_F(PluginLogTest, LinesOfTwoThreadsGoOutWholeInOneWriteEach)
{
    const auto documents = MovedDocuments(L"Documents elsewhere");
    RunSession(documents.wstring());
    const std::size_t entry = *sim::FindCommand("SetRandomName");
    void* write = sim::ReplaceImport(Plugin().module, "KERNEL32.dll", "WriteFile", reinterpret_cast<void*>(&AppendAsWindowsDoes));
    ASSERT_NE(write, nullptr);
    appends.write = reinterpret_cast<decltype(appends.write)>(write);
    constexpr int kRenames = 300;
    auto rename = [entry](std::uint32_t formId) {
        auto reference = sim::MakeReference(formId, 75, "Settler");
        for (int i = 0; i < kRenames; ++i)
            sim::RunCommand(entry, sim::ComposeParameterBlock({"female"}), sim::Selected(*reference));
    };
    std::thread first(rename, 0x1A1A1A1A);
    std::thread second(rename, 0x2B2B2B2B);
    first.join();
    second.join();
    sim::ReplaceImport(Plugin().module, "KERNEL32.dll", "WriteFile", write);

    ASSERT_EQ(appends.writes.size(), 2U * kRenames);
    for (const auto& bytes : appends.writes) {
        ASSERT_GE(bytes.size(), 26U);
        EXPECT_EQ(bytes.find("\r\n"), bytes.size() - 2) << "not one whole line: " << bytes;
    }
    const auto log = LogLinesOf(LogsFolderBelow(documents) / "Varnel.log");
    for (const char* formId : {"1A1A1A1A", "2B2B2B2B"}) {
        const std::string line = "SetRandomName: " + std::string(formId) + " is now \"Una\", line 1 of 1 drawn from ";
        EXPECT_EQ(std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(line, 0) == 0; }),
                  kRenames)
            << formId;
    }
}

// Stand-ins for the Windows functions of the fatal path.
struct FatalPathRecord {
    std::wstring text;
    std::wstring caption;
    UINT style = 0xFFFF;
    int boxes = 0;
    HANDLE process = nullptr;
    UINT exitCode = 0xFFFF;
    int terminations = 0;
    std::vector<std::string> order;  // the calls, in the order made
    std::vector<std::string> logAtBox;  // the plugin's log when the box came
} fatal;

HMODULE WINAPI NoGameModule(LPCWSTR) { return nullptr; }

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style)
{
    EXPECT_EQ(owner, nullptr);
    fatal.text = text;
    fatal.caption = caption;
    fatal.style = style;
    ++fatal.boxes;
    fatal.order.emplace_back("box");
    fatal.logAtBox = PluginLogLines();
    return IDOK;
}

BOOL WINAPI RecordTermination(HANDLE process, UINT exitCode)
{
    fatal.process = process;
    fatal.exitCode = exitCode;
    ++fatal.terminations;
    fatal.order.emplace_back("terminate");
    return FALSE;
}

TEST_F(PluginTest, MissingGameModuleShowsTheFatalBoxAndTerminates)
{
    void* module = Plugin().module;
    void* getModule = sim::ReplaceImport(module, "KERNEL32.dll", "GetModuleHandleW",
                                       reinterpret_cast<void*>(&NoGameModule));
    void* messageBox = sim::ReplaceImport(module, "USER32.dll", "MessageBoxW",
                                        reinterpret_cast<void*>(&RecordMessageBox));
    void* terminate = sim::ReplaceImport(module, "KERNEL32.dll", "TerminateProcess",
                                       reinterpret_cast<void*>(&RecordTermination));
    ASSERT_NE(getModule, nullptr);
    ASSERT_NE(messageBox, nullptr);
    ASSERT_NE(terminate, nullptr);

    const bool loaded = Load();

    sim::ReplaceImport(module, "KERNEL32.dll", "GetModuleHandleW", getModule);
    sim::ReplaceImport(module, "USER32.dll", "MessageBoxW", messageBox);
    sim::ReplaceImport(module, "KERNEL32.dll", "TerminateProcess", terminate);

    EXPECT_FALSE(loaded);
    EXPECT_EQ(fatal.boxes, 1);
    EXPECT_EQ(fatal.text, L"Fatal error has occured in function SFSEPlugin_Load at line 545\n\n\nError text: \n"
                          L" -> Installation error: Starfield.exe handle couldn't be acquired\n");
    const std::string majorMinor = ExpectedMajorMinor();
    EXPECT_EQ(fatal.caption, L"Varnel - SFSE Plugin by Dorrik v" + std::wstring(majorMinor.begin(), majorMinor.end()));
    EXPECT_EQ(fatal.style, 0U);
    EXPECT_EQ(fatal.terminations, 1);
    EXPECT_EQ(fatal.order, (std::vector<std::string>{"box", "terminate"}));
    const std::string base = LoadLogLine();
    EXPECT_EQ(fatal.logAtBox,
              (std::vector<std::string>{base.substr(0, base.rfind(' ') + 1) + "unknown",
                                        "The game's module handle could not be had; the game ends after this box: "
                                        "Fatal error has occured in function SFSEPlugin_Load at line 545\\x0A\\x0A\\x0A"
                                        "Error text: \\x0A -> Installation error: Starfield.exe handle couldn't be "
                                        "acquired\\x0A"}));
    EXPECT_EQ(fatal.process, GetCurrentProcess());
    EXPECT_EQ(fatal.exitCode, 0U);
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().menuCallbacks.empty());
    EXPECT_TRUE(sim::Calls().queriedIds.empty());
}

}  // namespace
