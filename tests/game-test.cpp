#include "src/command/reference.h"
#include "src/game/console.h"
#include "src/game/game_addresses.h"
#include "support/simulated_game.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace varnel;  // the product under test

namespace {

using GameTest = SimulatedGameTest;

TEST_F(GameTest, OwnDisplayNameWinsOverTheDefaultObject)
{
    auto reference = sim::MakeReference(0x1A, 75, "Settler");
    sim::SetOwnName(*reference, "Mara Quill");
    EXPECT_EQ(GetDisplayName(AsGameReference(*reference)), "Mara Quill");
}

TEST_F(GameTest, DefaultObjectNameServesWhenThereIsNoOwnName)
{
    struct Case {
        const char* what;
        void (*prepare)(sim::Reference&);
    };
    const Case cases[] = {
        {"no display-name record", [](sim::Reference&) {}},
        {"no extra data list", [](sim::Reference& r) { sim::DropExtraList(r); }},
        {"null string entry", [](sim::Reference& r) { sim::SetNullNameEntry(r); }},
        {"entry length zero", [](sim::Reference& r) { sim::SetOwnName(r, "Mara", 0); }},
        {"empty own name", [](sim::Reference& r) { sim::SetOwnName(r, ""); }},
        {"external entry pointing to nothing",
         [](sim::Reference& r) { sim::SetBrokenExternalName(r, 1, sim::ChainEnd::Nothing); }},
        {"chain of three ending in nothing",
         [](sim::Reference& r) { sim::SetBrokenExternalName(r, 3, sim::ChainEnd::Nothing); }},
        {"external entry pointing to itself",
         [](sim::Reference& r) { sim::SetBrokenExternalName(r, 1, sim::ChainEnd::Itself); }},
        {"chain whose last entry points to itself",
         [](sim::Reference& r) { sim::SetBrokenExternalName(r, 4, sim::ChainEnd::Itself); }},
        {"chain leading back to its first entry",
         [](sim::Reference& r) { sim::SetBrokenExternalName(r, 3, sim::ChainEnd::First); }},
        {"external chain ending in an empty inline entry", [](sim::Reference& r) { sim::SetExternalOwnName(r, "", 2); }},
        {"external chain longer than the walk goes",
         [](sim::Reference& r) { sim::SetExternalOwnName(r, "Mara", kMaxExternalSteps + 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto reference = sim::MakeReference(0x1A, 75, "Settler");
        c.prepare(*reference);
        EXPECT_EQ(GetDisplayName(AsGameReference(*reference)), "Settler");
    }
}

TEST_F(GameTest, OtherEntryFlagsDoNotHideTheOwnName)
{
    auto reference = sim::MakeReference(0x1A);
    sim::SetOwnName(*reference, "Mara", std::nullopt, 0xFD);
    EXPECT_EQ(GetDisplayName(AsGameReference(*reference)), "Mara");
    sim::SetExternalOwnName(*reference, "Tomas", 2, 0xFD);
    EXPECT_EQ(GetDisplayName(AsGameReference(*reference)), "Tomas");
}

TEST_F(GameTest, ExternalEntriesAreFollowedToTheTextTheyStandFor)
{
    // The game's own longest chains are a step or two; the walk goes eight.
    EXPECT_EQ(kMaxExternalSteps, 8);
    for (const std::size_t steps : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{8}}) {
        SCOPED_TRACE(steps);
        auto reference = sim::MakeReference(0x1A, 75, "Settler");
        sim::SetExternalOwnName(*reference, "Mara Quill", steps);
        EXPECT_EQ(GetDisplayName(AsGameReference(*reference)), "Mara Quill");
        EXPECT_EQ(sim::ShownName(*reference), "Mara Quill");
    }
}

TEST_F(GameTest, TheTextIsReadUpToItsNulWhateverTheLengthSays)
{
    auto reference = sim::MakeReference(0x1A);
    sim::SetOwnName(*reference, "Mara", 2);
    EXPECT_EQ(GetDisplayName(AsGameReference(*reference)), "Mara");
}

TEST_F(GameTest, NoNameAtAllGivesEmptyText)
{
    auto noObject = sim::MakeReference(0x1A);
    sim::DropDefaultObject(*noObject);
    EXPECT_EQ(GetDisplayName(AsGameReference(*noObject)), "");

    auto nullName = sim::MakeReference(0x1B);
    nullName->defaultObject.name = std::nullopt;
    EXPECT_EQ(GetDisplayName(AsGameReference(*nullName)), "");

    auto emptyName = sim::MakeReference(0x1C, 75, "");
    EXPECT_EQ(GetDisplayName(AsGameReference(*emptyName)), "");

    EXPECT_EQ(GetDisplayName(nullptr), "");
}

TEST_F(GameTest, SetDisplayNameNeedsBothPointers)
{
    auto reference = sim::MakeReference(0x1A);
    EXPECT_FALSE(SetDisplayName(nullptr, "Mara"));
    EXPECT_FALSE(SetDisplayName(&reference->extraList, nullptr));
    EXPECT_TRUE(reference->extraList.namesSet.empty());

    EXPECT_TRUE(SetDisplayName(&reference->extraList, "Mara"));
    EXPECT_EQ(reference->extraList.namesSet, std::vector<std::string>{"Mara"});
    EXPECT_EQ(GetDisplayName(AsGameReference(*reference)), "Mara");
}

TEST_F(GameTest, SetDisplayNameIsTrueEvenWhenTheGameIgnoresIt)
{
    auto reference = sim::MakeReference(0x1A, 75, "Settler");
    reference->extraList.setting = sim::NameSetting::Ignore;
    EXPECT_TRUE(SetDisplayName(&reference->extraList, "Mara"));
    EXPECT_EQ(GetDisplayName(AsGameReference(*reference)), "Settler");
}

TEST_F(GameTest, FormIdTextIsEightUpperCaseDigits)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x1A, "0000001A"}, {0, "00000000"}, {0xFF000800, "FF000800"}, {0xABCDEF, "00ABCDEF"},
        {0xFFFFFFFF, "FFFFFFFF"}};
    for (const auto& [formId, text] : cases) {
        auto reference = sim::MakeReference(formId);
        EXPECT_EQ(FormIdToText(AsGameReference(*reference)), text);
    }
    EXPECT_EQ(FormIdToText(nullptr), "");
}

TEST_F(GameTest, TypeCodeComesFromVirtualSlot34)
{
    for (std::uint8_t code : {std::uint8_t{75}, std::uint8_t{0x3E}, std::uint8_t{0}}) {
        auto reference = sim::MakeReference(0x1A, code);
        EXPECT_EQ(ReferenceTypeCode(AsGameReference(*reference)), code);
    }
}

TEST_F(GameTest, ConsolePrintWaitsForTheConsole)
{
    sim::RemoveConsole();
    ConsolePrint("%s", "before the console");
    EXPECT_TRUE(sim::ConsoleSeen().lines.empty());

    sim::MakeConsole();
    ConsolePrint("%s and %d", "after", 2);
    const auto seen = sim::ConsoleSeen();
    EXPECT_EQ(seen.lines, std::vector<std::string>{"after and 2"});
    EXPECT_EQ(seen.formats, std::vector<std::string>{"%s and %d"});
    ASSERT_EQ(seen.consoles.size(), 1U);
    EXPECT_EQ(seen.consoles[0], sim::ConsoleObject());
}

TEST_F(GameTest, ConsoleLineRunsOnTheObjectTheGameHolds)
{
    EXPECT_TRUE(ExecuteConsoleLine("CGF \"Varnel.RenameRefFromCachedData\" 0000001A"));
    sim::UseExecutorObject(sim::ExecutorObject(sim::Executor::Other));
    EXPECT_TRUE(ExecuteConsoleLine("second"));
    const auto seen = sim::ConsoleSeen();
    ASSERT_EQ(seen.executed.size(), 2U);
    EXPECT_EQ(seen.executed[0].executor, "the game's console line executor");
    EXPECT_EQ(seen.executed[0].line, "CGF \"Varnel.RenameRefFromCachedData\" 0000001A");
    EXPECT_EQ(seen.executed[1].executor, "a second executor object");
}

TEST_F(GameTest, ConsoleLineWaitsForTheExecutorObject)
{
    sim::UseExecutorObject(nullptr);
    EXPECT_FALSE(ExecuteConsoleLine("CGF \"Varnel.RenameRefFromCachedData\" 0000001A"));
    EXPECT_TRUE(sim::ConsoleSeen().executed.empty());
}

TEST(GameAddresses, EveryAddressHasItsOffsetAndForming)
{
    // The plugin's table against the runtime's numbers, written here, by name.
    struct Expected {
        const char* name;
        const GameAddress& declared;
        std::uintptr_t offset;
        AddressForming formed;
    };
    const auto& table = kGameAddressTable;
    const Expected addresses[] = {
        {"console object pointer", table.consoleObjectPointer, 0x60BBF80, AddressForming::AtLoad},
        {"console command table", table.consoleCommandTable, 0x5D8FB30, AddressForming::AtLoad},
        {"executor object pointer", table.consoleExecutorObjectPointer, 0x619CDD0, AddressForming::AtEachCall},
        {"console print", table.consolePrint, 0x1E341C0, AddressForming::AtFirstUse},
        {"console line executor", table.consoleLineExecutor, 0x1E2B680, AddressForming::AtEachCall},
        {"extra data lookup", table.extraDataLookup, 0x33F370, AddressForming::AtFirstUse},
        {"object name", table.objectName, 0x5D8360, AddressForming::AtEachCall},
        {"set display name", table.setDisplayName, 0x511970, AddressForming::AtEachCall},
    };
    static_assert(sizeof addresses / sizeof addresses[0] == sizeof(GameAddressTable) / sizeof(GameAddress));
    for (const auto& address : addresses) {
        EXPECT_EQ(address.declared.offset, address.offset) << address.name;
        EXPECT_EQ(address.declared.formed, address.formed) << address.name;
        EXPECT_STREQ(address.declared.name, address.name);
    }
}

TEST_F(GameTest, ExecutorObjectGlobalIsAtItsOffset)
{
    sim::UseExecutorObject(sim::ExecutorObject(sim::Executor::Other));
    EXPECT_EQ(sim::Load<const void*>(reinterpret_cast<const void*>(sim::ImageBase() + 0x619CDD0), 0),
              sim::ExecutorObject(sim::Executor::Other));
}

TEST_F(GameTest, CommandTableStartsAtItsOffset)
{
    sim::LayCommandTable(sim::GameCommands());
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(ConsoleCommandTable()), sim::CommandEntry(0));
    EXPECT_STREQ(ConsoleCommandTable()[2].name, "CloseFile");
    EXPECT_EQ(ConsoleCommandTable()[2].opcode, 0x102U);
    EXPECT_EQ(ConsoleCommandTable()[2].parameters, sim::ParameterDescriptionOf(2));
}

}  // namespace
