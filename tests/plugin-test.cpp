// The real DLL, loaded into the simulated game as the host loads it.
#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/game/game_image.h"
#include "sim/process.h"
#include "sim/host/host.h"
#include "support/plugin_loader.h"
#include "sim/game/references.h"
#include "support/expected_version.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
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
    EXPECT_EQ(host.handleRequests, 1);
    EXPECT_EQ(host.queriedIds, (std::vector<std::uint32_t>{1, 3}));
    ASSERT_EQ(host.listeners.size(), 1U);
    EXPECT_EQ(host.listeners[0].plugin, 0x1234U);
    EXPECT_EQ(host.listeners[0].sender, "SFSE");
    EXPECT_NE(host.listeners[0].listener, nullptr);
    ASSERT_EQ(host.menuCallbacks.size(), 1U);
    ASSERT_NE(host.menuCallbacks[0], nullptr);
    host.menuCallbacks[0](nullptr);  // does nothing, returns
    EXPECT_EQ(host.wrongSlotCalls, 0);
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
    EXPECT_EQ(sim::Host().refusedListeners, std::vector<std::uint32_t>{5});
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().menuCallbacks.empty());
    EXPECT_EQ(sim::Host().queriedIds, (std::vector<std::uint32_t>{1, 3}));

    sim::ResetHost();
    sim::Host().pluginHandle = 5;
    sim::Host().pluginCount = 5;
    EXPECT_TRUE(Load());
    EXPECT_EQ(sim::Host().listeners.size(), 1U);
    EXPECT_EQ(sim::Host().menuCallbacks.size(), 1U);
}

TEST_F(PluginTest, LoadFailsWithoutEitherInterface)
{
    sim::Host().offersMessaging = false;
    EXPECT_FALSE(Load());
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().menuCallbacks.empty());

    sim::ResetHost();
    sim::Host().offersMenus = false;
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
        sim::Host().throwingCall = call;
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

TEST_F(PluginTest, TablesThatLackAMatchStayAsTheyAre)
{
    const std::vector<std::vector<sim::CommandSpec>> tables = {
        // CloseFile missing
        {{"TogglePathLine", 0x100}, {"Show", 0x101}, {"End", 0x347}},
        // TogglePathLine missing
        {{"CloseFile", 0x100}, {"Show", 0x101}, {"End", 0x347}},
        // names that differ only in case
        {{"closefile", 0x100}, {"TogglePathLine", 0x101}, {"End", 0x347}},
        {{"CloseFile", 0x100}, {"togglepathline", 0x101}, {"TOGGLEPATHLINE", 0x102}, {"End", 0x347}},
        // a longer or shorter name
        {{"CloseFiles", 0x100}, {"TogglePathLin", 0x101}, {"End", 0x347}},
        // the table ends (opcode 0x347 or more) before a match
        {{"CloseFile", 0x347}, {"TogglePathLine", 0x100}, {"End", 0x347}},
        {{"Show", 0x100}, {"End", 0x348}, {"CloseFile", 0x101}, {"TogglePathLine", 0x102}, {"End", 0x347}},
        {{"CloseFile", 0x100}, {"End", 0xFFFFFFFF}, {"TogglePathLine", 0x102}, {"End", 0x347}},
        // a wanted name at opcode 0x347 is past the end
        {{"TogglePathLine", 0x100}, {"Show", 0x346}, {"CloseFile", 0x347}, {"End", 0x347}},
        {{"CloseFile", 0x100}, {"Show", 0x346}, {"TogglePathLine", 0x347}, {"End", 0x347}},
    };
    for (std::size_t i = 0; i < tables.size(); ++i) {
        SCOPED_TRACE("table " + std::to_string(i));
        ExpectTableUnchanged(tables[i]);
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

    // Every list file each command opens is closed again, those that find a
    // name and those that fail alike: the game's handles stay level.
    void* open = PatchImport(Plugin().module, "KERNEL32.dll", "CreateFileW", reinterpret_cast<void*>(&CountedOpen));
    void* close = PatchImport(Plugin().module, "KERNEL32.dll", "CloseHandle", reinterpret_cast<void*>(&CountedClose));
    ASSERT_NE(open, nullptr);
    ASSERT_NE(close, nullptr);
    handles = {};
    handles.createFile = reinterpret_cast<decltype(handles.createFile)>(open);
    handles.close = reinterpret_cast<decltype(handles.close)>(close);
    for (int i = 0; i < 40; ++i)
        sim::RunCommand(entry, sim::ComposeParameterBlock({i % 2 == 0 ? "female" : "male"}), sim::Selected(*reference));
    PatchImport(Plugin().module, "KERNEL32.dll", "CreateFileW", open);
    PatchImport(Plugin().module, "KERNEL32.dll", "CloseHandle", close);
    EXPECT_GE(handles.opened.size(), 40U);
    EXPECT_EQ(handles.opened, handles.closed) << "list files left open";
    LeaveScratchFolder(scratch);
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
    void* getModule = PatchImport(module, "KERNEL32.dll", "GetModuleHandleW",
                                       reinterpret_cast<void*>(&NoGameModule));
    void* messageBox = PatchImport(module, "USER32.dll", "MessageBoxW",
                                        reinterpret_cast<void*>(&RecordMessageBox));
    void* terminate = PatchImport(module, "KERNEL32.dll", "TerminateProcess",
                                       reinterpret_cast<void*>(&RecordTermination));
    ASSERT_NE(getModule, nullptr);
    ASSERT_NE(messageBox, nullptr);
    ASSERT_NE(terminate, nullptr);

    const bool loaded = Load();

    PatchImport(module, "KERNEL32.dll", "GetModuleHandleW", getModule);
    PatchImport(module, "USER32.dll", "MessageBoxW", messageBox);
    PatchImport(module, "KERNEL32.dll", "TerminateProcess", terminate);

    EXPECT_FALSE(loaded);
    EXPECT_EQ(fatal.boxes, 1);
    EXPECT_EQ(fatal.text, L"Fatal error has occured in function SFSEPlugin_Load at line 545\n\n\nError text: \n"
                          L" -> Installation error: Starfield.exe handle couldn't be acquired\n");
    const std::string majorMinor = ExpectedMajorMinor();
    EXPECT_EQ(fatal.caption, L"Varnel - SFSE Plugin by Dorrik v" + std::wstring(majorMinor.begin(), majorMinor.end()));
    EXPECT_EQ(fatal.style, 0U);
    EXPECT_EQ(fatal.terminations, 1);
    EXPECT_EQ(fatal.order, (std::vector<std::string>{"box", "terminate"}));
    EXPECT_EQ(fatal.process, GetCurrentProcess());
    EXPECT_EQ(fatal.exitCode, 0U);
    EXPECT_TRUE(sim::Host().listeners.empty());
    EXPECT_TRUE(sim::Host().menuCallbacks.empty());
    EXPECT_TRUE(sim::Host().queriedIds.empty());
}

}  // namespace
