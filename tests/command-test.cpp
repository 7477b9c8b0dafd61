#include "src/command/messages.h"
#include "src/command/set_random_name.h"
#include "src/names/name_list.h"
#include "src/log/log.h"
#include "support/failing_allocator.h"
#include "support/player_logs.h"
#include "support/scratch_folder.h"
#include "support/simulated_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace varnel;  // the product under test

namespace {

using namespace std::string_literals;

const std::string kScriptLineFor1A = "CGF \"Varnel.RenameRefFromCachedData\" 0000001A";
const std::string kFemaleNames = "Anna\nBeth\r\nCara\n";
const std::string kMaleNames = "Dov\nEmil\nFinn\n";

struct CommandRun {
    bool result;
    std::vector<std::string> lines;
    std::vector<std::string> formats;
    std::vector<std::string> executed;
};

class CommandTest : public SimulatedGameTest {
protected:
    void SetUp() override
    {
        SimulatedGameTest::SetUp();
        OpenLog();
        scratch_ = EnterScratchFolder();
        reference_ = sim::MakeReference(0x1A, 75, "Settler");
    }
    void TearDown() override
    {
        LeaveScratchFolder(scratch_);
        SimulatedGameTest::TearDown();
    }

    CommandRun Run(const std::vector<std::string>& arguments, void* selected,
                   sim::BlockHeader header = sim::BlockHeader::Short)
    {
        const auto block = sim::ComposeParameterBlock(arguments, header);
        sim::ClearConsole();
        CommandRun run{ExecuteSetRandomName(nullptr, block.data(), selected), {}, {}, {}};
        const auto seen = sim::ConsoleSeen();
        run.lines = seen.lines;
        run.formats = seen.formats;
        for (const auto& executed : seen.executed) {
            EXPECT_EQ(executed.executor, "the game's console line executor");
            run.executed.push_back(executed.line);
        }
        return run;
    }

    CommandRun Run(const std::vector<std::string>& arguments) { return Run(arguments, sim::Selected(*reference_)); }

    void ExpectFailure(const CommandRun& run, const std::vector<std::string>& lines)
    {
        EXPECT_FALSE(run.result);
        EXPECT_EQ(run.lines, lines);
        EXPECT_TRUE(run.executed.empty());
    }

    void ExpectNameUnchanged() { EXPECT_EQ(sim::ShownName(*reference_), "Settler"); }

    std::unique_ptr<sim::Reference> reference_;

private:
    ScratchFolder scratch_;
};

TEST_F(CommandTest, SelectedReferenceIsCheckedFirst)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    // Whatever the argument, good or bad, the reference's faults come first,
    // in this order: none selected, wrong type, no extra data.
    const std::vector<std::vector<std::string>> arguments = {
        {"female"}, {}, {""}, {"Female"}, {"female", "male"}};
    auto wrongType = sim::MakeReference(0x1A, 0x3E);
    sim::DropExtraList(*wrongType);
    auto noList = sim::MakeReference(0xFF000800);
    sim::DropExtraList(*noList);
    for (const auto& argument : arguments) {
        SCOPED_TRACE(argument.empty() ? "no argument" : argument.front());
        ExpectFailure(Run(argument, nullptr), {"Error: no selected reference. Aborting function call."});
        ExpectFailure(Run(argument, sim::Selected(*wrongType)),
                      {"Error: selected reference is not an Actor or Object Reference. Aborting function call."});
        ExpectFailure(Run(argument, sim::Selected(*noList)),
                      {"Error: the specified actor [FF000800] has no attached extra data which is "
                       "unsupported.Aborting function call."});
    }

    for (std::uint8_t code : {std::uint8_t{0}, std::uint8_t{0x3E}, std::uint8_t{74}, std::uint8_t{76}}) {
        auto other = sim::MakeReference(0x1A, code);
        ExpectFailure(Run({"female"}, sim::Selected(*other)),
                      {"Error: selected reference is not an Actor or Object Reference. Aborting function call."});
        EXPECT_EQ(sim::ShownName(*other), "Settler");
    }
}

TEST_F(CommandTest, ArgumentMustBeExactlyFemaleOrMale)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    WriteNameList("MaleNames.txt", kMaleNames);
    struct Case {
        std::vector<std::string> arguments;
        const char* line;
    };
    const Case cases[] = {
        {{}, "Error: no name was specified. Aborting function call."},
        {{"female", "male"}, "Error: size of std::vector 'Parameters' > 1. Aborting function call."},
        {{"", ""}, "Error: size of std::vector 'Parameters' > 1. Aborting function call."},
        {{""}, "Error: std::vector 'Parameters' is empty. Aborting function call."},
        {{"Female"}, "Error: command parameter is not supported. Aborting function call."},
        {{"MALE"}, "Error: command parameter is not supported. Aborting function call."},
        {{"females"}, "Error: command parameter is not supported. Aborting function call."},
        {{"male "}, "Error: command parameter is not supported. Aborting function call."},
        {{"fem"}, "Error: command parameter is not supported. Aborting function call."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "no argument" : c.arguments.front());
        for (auto header : {sim::BlockHeader::Short, sim::BlockHeader::Long}) {
            ExpectFailure(Run(c.arguments, sim::Selected(*reference_), header), {c.line});
            ExpectNameUnchanged();
        }
    }
}

TEST_F(CommandTest, ArgumentIsComparedAsNulTerminatedText)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    const auto run = Run({"female\0male"s});
    EXPECT_TRUE(run.result);
    EXPECT_TRUE(run.lines.empty());
}

TEST_F(CommandTest, RenamesFromTheChosenListAndCallsTheScript)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    WriteNameList("MaleNames.txt", kMaleNames);
    const std::pair<const char*, std::set<std::string>> lists[] = {
        {"female", {"Anna", "Beth", "Cara"}}, {"male", {"Dov", "Emil", "Finn"}}};
    for (const auto& [argument, names] : lists) {
        for (auto header : {sim::BlockHeader::Short, sim::BlockHeader::Long}) {
            const auto run = Run({argument}, sim::Selected(*reference_), header);
            EXPECT_TRUE(run.result);
            EXPECT_TRUE(run.lines.empty());
            EXPECT_EQ(run.executed, std::vector<std::string>{kScriptLineFor1A});
            EXPECT_EQ(names.count(sim::ShownName(*reference_)), 1U) << sim::ShownName(*reference_);
        }
    }
}

TEST_F(CommandTest, EveryNameOfTheListIsReachedAndNothingElse)
{
    WriteNameList("FemaleNames.txt", "Anna\n\nBeth\r\n\n\nCara\nDora");
    std::set<std::string> given;
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(Run({"female"}).result);
        given.insert(sim::ShownName(*reference_));
    }
    EXPECT_EQ(given, (std::set<std::string>{"Anna", "Beth", "Cara", "Dora"}));
}

TEST_F(CommandTest, ScriptLineCarriesTheEightDigitFormId)
{
    WriteNameList("MaleNames.txt", kMaleNames);
    auto reference = sim::MakeReference(0xFF000800);
    const auto run = Run({"male"}, sim::Selected(*reference));
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.executed, std::vector<std::string>{"CGF \"Varnel.RenameRefFromCachedData\" FF000800"});
}

TEST_F(CommandTest, MissingListShowsTwoLines)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    ExpectFailure(Run({"male"}),
                  {"Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting function call.",
                   "Error: int 'NameCount' is out of range. Aborting function call."});
    ExpectNameUnchanged();
}

TEST_F(CommandTest, EmptyListShowsOneLine)
{
    for (const char* bytes : {"", "\x1A"}) {
        WriteNameList("MaleNames.txt", bytes);
        ExpectFailure(Run({"male"}), {"Error: int 'NameCount' is out of range. Aborting function call."});
        ExpectNameUnchanged();
    }
}

TEST_F(CommandTest, OnlyEmptyLinesFromTheDrawnNumberOnGiveNoName)
{
    WriteNameList("FemaleNames.txt", "\n\r\n\n");
    ExpectFailure(Run({"female"}), {"Error: std::string 'sNewName' is empty. Aborting function call."});
    ExpectNameUnchanged();
    EXPECT_TRUE(reference_->extraList.namesSet.empty());
}

TEST_F(CommandTest, NameReadBackEmptyIsACriticalErrorAndTheLogSaysWhichStepGaveNothing)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    // The game drops the name, so the reference shows what each row left it.
    const std::pair<std::function<void(sim::Reference&)>, std::string> rows[] = {
        {[](sim::Reference&) {}, "no display-name record, and the default object's name is empty"},
        {[](sim::Reference& r) { sim::SetNullNameEntry(r); },
         "the display-name record holds a null string entry, and the default object's name is empty"},
        {[](sim::Reference& r) { sim::SetBrokenExternalName(r, 3, sim::ChainEnd::Nothing); },
         "the external string entry led nowhere after 3 steps, and"},
        {[](sim::Reference& r) { sim::SetBrokenExternalName(r, 2, sim::ChainEnd::First); },
         "the external string entry led nowhere after 2 steps, and"},
        {[](sim::Reference& r) { sim::SetOwnName(r, "Mara", 0); }, "the string entry's value is zero, and"},
        {[](sim::Reference& r) { sim::SetExternalOwnName(r, "", 2); },
         "the string entry's value is zero, after 2 external steps, and"},
        {[](sim::Reference& r) { sim::DropDefaultObject(r); }, "no display-name record, and no default object"},
        {[](sim::Reference& r) { r.defaultObject.name = std::nullopt; },
         "no display-name record, and the default object's name is empty"},
    };
    for (const auto& [leave, cause] : rows) {
        SCOPED_TRACE(cause);
        auto nameless = sim::MakeReference(0x1A, 75, "");
        nameless->extraList.setting = sim::NameSetting::Ignore;
        leave(*nameless);
        OpenLog();
        ExpectFailure(Run({"female"}, sim::Selected(*nameless)),
                      {"Error: critical error occured during renaming. Please see the log for details."});
        const auto log = PluginLogLines();
        ASSERT_EQ(log.size(), 1U);
        EXPECT_NE(log[0].find("; nothing to read: " + cause), std::string::npos) << log[0];
    }
}

TEST_F(CommandTest, NameThatDidNotTakeIsReportedWithTheShownName)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    reference_->extraList.setting = sim::NameSetting::ShowOther;
    reference_->extraList.otherName = "Someone Else";
    ExpectFailure(Run({"female"}),
                  {"Selected actor [0000001A | Someone Else] couldn't receive a name. Please see the log for details."});

    reference_->extraList.setting = sim::NameSetting::Ignore;
    ExpectFailure(Run({"female"}),
                  {"Selected actor [0000001A | Someone Else] couldn't receive a name. Please see the log for details."});
}

TEST_F(CommandTest, NameKeptAsAnExternalEntryTakes)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    reference_->extraList.setting = sim::NameSetting::StoreExternal;
    const auto run = Run({"female"});
    EXPECT_TRUE(run.result);
    EXPECT_TRUE(run.lines.empty());
    EXPECT_EQ(run.executed, std::vector<std::string>{kScriptLineFor1A});
    ASSERT_EQ(reference_->extraList.namesSet.size(), 1U);
    EXPECT_EQ(sim::ShownName(*reference_), reference_->extraList.namesSet[0]);
    EXPECT_EQ(reference_->extraList.entries.size(), 2U) << "kept as one external entry and its inline one";
}

TEST_F(CommandTest, NameThatDidNotTakeIsQuotedThroughItsExternalEntries)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    reference_->extraList.setting = sim::NameSetting::Ignore;
    const auto failure = [](const std::string& shown) {
        return std::vector<std::string>{"Selected actor [0000001A | " + shown +
                                        "] couldn't receive a name. Please see the log for details."};
    };
    for (const std::size_t steps : {std::size_t{1}, std::size_t{3}}) {
        SCOPED_TRACE(steps);
        sim::SetExternalOwnName(*reference_, "Someone Else", steps);
        ExpectFailure(Run({"female"}), failure("Someone Else"));
    }
    // A chain that leads nowhere reads as no own name: the default object's.
    sim::SetBrokenExternalName(*reference_, 1, sim::ChainEnd::Itself);
    ExpectFailure(Run({"female"}), failure("Settler"));
    sim::SetBrokenExternalName(*reference_, 2, sim::ChainEnd::Nothing);
    ExpectFailure(Run({"female"}), failure("Settler"));
}

TEST_F(CommandTest, PercentSignsReachTheConsoleAsTheyStand)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    reference_->extraList.setting = sim::NameSetting::ShowOther;
    reference_->extraList.otherName = "100% %s%n%d %";
    const auto run = Run({"female"});
    ExpectFailure(run, {"Selected actor [0000001A | 100% %s%n%d %] couldn't receive a name. Please see the log for "
                        "details."});
    EXPECT_EQ(run.formats, std::vector<std::string>{"%s"});
}

TEST_F(CommandTest, NamesWithPercentSignsAreGivenAsTheyStand)
{
    WriteNameList("MaleNames.txt", "50% %s%n\n");
    const auto run = Run({"male"});
    EXPECT_TRUE(run.result);
    EXPECT_EQ(sim::ShownName(*reference_), "50% %s%n");
}

TEST_F(CommandTest, ScriptCallRunsOnTheExecutorObjectTheGameHoldsAtTheTime)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    const auto block = sim::ComposeParameterBlock({"female"});
    const std::pair<sim::Executor, const char*> objects[] = {
        {sim::Executor::Other, "a second executor object"},
        {sim::Executor::Game, "the game's console line executor"},
        {sim::Executor::Other, "a second executor object"}};
    for (const auto& [object, name] : objects) {
        sim::UseExecutorObject(sim::ExecutorObject(object));
        sim::ClearConsole();
        EXPECT_TRUE(ExecuteSetRandomName(nullptr, block.data(), sim::Selected(*reference_)));
        const auto seen = sim::ConsoleSeen();
        ASSERT_EQ(seen.executed.size(), 1U);
        EXPECT_EQ(seen.executed[0].executor, name);
        EXPECT_EQ(seen.executed[0].line, kScriptLineFor1A);
    }
}

TEST_F(CommandTest, NoExecutorObjectLeavesTheNameAndSkipsTheScriptCall)
{
    WriteNameList("FemaleNames.txt", "Anna\n");
    sim::UseExecutorObject(nullptr);
    ExpectFailure(Run({"female"}), {"Error: the game's console line executor isn't ready. Aborting function call."});
    EXPECT_EQ(sim::ShownName(*reference_), "Anna");
}

TEST_F(CommandTest, ScriptCallRunsOnlyAfterTheNameWasSetAndReadBack)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    const auto block = sim::ComposeParameterBlock({"female"});
    sim::ClearConsole();
    ASSERT_TRUE(ExecuteSetRandomName(nullptr, block.data(), sim::Selected(*reference_)));
    const auto calls = sim::ConsoleSeen().gameCalls;
    const auto set = std::find(calls.begin(), calls.end(), "set display name");
    const auto readBack = std::find(set, calls.end(), "extra data lookup");
    const auto execute = std::find(calls.begin(), calls.end(), "console line executor");
    ASSERT_NE(set, calls.end());
    ASSERT_NE(execute, calls.end());
    EXPECT_LT(set - calls.begin(), readBack - calls.begin());
    EXPECT_LT(readBack - calls.begin(), execute - calls.begin());
    EXPECT_EQ(execute + 1, calls.end());
}

TEST_F(CommandTest, ExceptionOfNoStandardTypeBecomesOneLine)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    reference_->extraList.setting = sim::NameSetting::Throw;
    ExpectFailure(Run({"female"}), {"Error: unexpected failure. Aborting function call."});
}

TEST_F(CommandTest, EveryAllocationFailingInTurnEndsCleanly)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    const std::set<std::string> ordinary = {
        "Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting function call.",
        "Error: int 'NameCount' is out of range. Aborting function call.",
        "Error: std::string 'sNewName' is empty. Aborting function call."};
    const auto block = sim::ComposeParameterBlock({"female"});
    for (std::size_t successes = 0;; ++successes) {
        SCOPED_TRACE("allocations before the failure: " + std::to_string(successes));
        auto reference = sim::MakeReference(0x1A, 75, "Settler");
        sim::ClearConsole();
        FailAllocationAfter(successes);
        const bool result = ExecuteSetRandomName(nullptr, block.data(), sim::Selected(*reference));
        const bool failed = AllocationFailed();
        StopFailingAllocations();
        const auto seen = sim::ConsoleSeen();
        // Past the script call only the log is left, whose failures change nothing.
        if (!seen.executed.empty()) {
            EXPECT_TRUE(result);
        }
        if (result) {
            EXPECT_TRUE(seen.lines.empty());
            EXPECT_EQ(seen.executed.size(), 1U);
            EXPECT_NE(sim::ShownName(*reference), "Settler");
        } else {
            EXPECT_FALSE(seen.lines.empty());
            std::size_t extra = 0;
            for (const auto& line : seen.lines) {
                const bool isOrdinary = ordinary.count(line) == 1;
                extra += isOrdinary ? 0 : 1;
                EXPECT_TRUE(isOrdinary || line.rfind("Error: ", 0) == 0) << line;
            }
            EXPECT_LE(extra, 1U);
        }
        if (!failed) {
            EXPECT_TRUE(result);
            break;
        }
    }
}

TEST_F(CommandTest, ExceptionBeneathTheCommandBecomesOneLine)
{
    WriteNameList("FemaleNames.txt", kFemaleNames);
    const auto block = sim::ComposeParameterBlock({"female"});
    sim::ClearConsole();
    FailAllocationAfter(0);
    EXPECT_FALSE(ExecuteSetRandomName(nullptr, block.data(), sim::Selected(*reference_)));
    StopFailingAllocations();
    const auto seen = sim::ConsoleSeen();
    EXPECT_EQ(seen.lines, std::vector<std::string>{"Error: unexpected failure (std::bad_alloc). Aborting function call."});
    EXPECT_TRUE(seen.executed.empty());
    ExpectNameUnchanged();
}

// Each line of the table, produced by the command under the line's
// condition. A line added to the table without a way to produce it here, or
// a table text that differs from what players see, fails.
TEST_F(CommandTest, EveryMessageOfTheTableComesOutUnderItsCondition)
{
    using enum CommandMessage;
    struct Scenario {
        CommandMessage message;
        std::function<CommandRun()> run;  // empty: the command cannot reach the line
        std::array<std::string_view, 2> values;  // for the text's "%s", in order
        std::string expected;
        std::vector<std::string> logFacts;  // what the call's log line tells besides the console line
        std::vector<std::string> logAbsent; // facts the call never reached, which its line must not tell
    };
    // Where the plugin looked for a list: below the game's working folder.
    auto listPath = [](const char* name) {
        const auto path = std::filesystem::current_path() / "Data" / "SFSE" / "Plugins" / name;
        const std::u8string utf8 = path.u8string();
        return "list " + std::string(utf8.begin(), utf8.end());
    };
    auto female = [this](std::vector<std::string> arguments, const std::string& list) {
        WriteNameList("FemaleNames.txt", list);
        return Run(arguments);
    };
    auto selected = [this](std::uint32_t formId, std::uint8_t type, bool withExtraData) {
        WriteNameList("FemaleNames.txt", kFemaleNames);
        auto reference = sim::MakeReference(formId, type);
        if (!withExtraData)
            sim::DropExtraList(*reference);
        return Run({"female"}, sim::Selected(*reference));
    };
    auto renamed = [this](sim::NameSetting setting, const std::string& shown) {
        WriteNameList("FemaleNames.txt", kFemaleNames);
        auto reference = sim::MakeReference(0x1A, 75, shown);
        reference->extraList.setting = setting;
        reference->extraList.otherName = shown;
        return Run({"female"}, sim::Selected(*reference));
    };
    const Scenario scenarios[] = {
        {NoSelectedReference, [&] { return Run({"female"}, nullptr); }, {},
         "Error: no selected reference. Aborting function call.", {"; no reference selected"},
         {"; type code", "; reference", "argument", "; list"}},
        {NotAnActor, [&] { return selected(0x1A, 0x3E, true); }, {},
         "Error: selected reference is not an Actor or Object Reference. Aborting function call.", {"; type code 62"},
         {"; no reference selected", "; reference", "argument"}},
        {NoExtraData, [&] { return selected(0xFF000800, 75, false); }, {"FF000800"},
         "Error: the specified actor [FF000800] has no attached extra data which is unsupported.Aborting function "
         "call.",
         {"; type code 75; reference FF000800"}, {"argument"}},
        {TooManyArguments, [&] { return female({"female", "male"}, kFemaleNames); }, {},
         "Error: size of std::vector 'Parameters' > 1. Aborting function call.",
         {"; reference 0000001A; 2 arguments \"female\", \"male\""}, {"; list"}},
        {NoArgument, [&] { return female({}, kFemaleNames); }, {},
         "Error: no name was specified. Aborting function call.", {"; no argument"}, {"; list"}},
        {EmptyArgument, [&] { return female({""}, kFemaleNames); }, {},
         "Error: std::vector 'Parameters' is empty. Aborting function call.", {"; argument \"\""}, {"; list"}},
        {UnsupportedArgument, [&] { return female({"Female"}, kFemaleNames); }, {},
         "Error: command parameter is not supported. Aborting function call.", {"; argument \"Female\""}, {"; list"}},
        {ListMissing, [&] { return Run({"male"}); }, {},
         "Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting function call.",
         {"; argument \"male\"; " + listPath("MaleNames.txt") + " (missing); NameCount 0"}, {"randomNumber"}},
        {NameCountOutOfRange, [&] { return female({"female"}, ""); }, {},
         "Error: int 'NameCount' is out of range. Aborting function call.",
         {"; " + listPath("FemaleNames.txt") + " (empty); NameCount 0"}, {"randomNumber"}},
        {RandomNumberOutOfRange, nullptr, {}, "Error: int 'randomNumber' is out of range. Aborting function call.", {}, {}},
        {NewNameEmpty, [&] { return female({"female"}, "\n\n"); }, {},
         "Error: std::string 'sNewName' is empty. Aborting function call.",
         {"; NameCount 2; randomNumber ", "; sNewName \"\""}, {"name read back"}},
        {NameReadBackEmpty, [&] { return renamed(sim::NameSetting::ShowOther, ""); }, {},
         "Error: critical error occured during renaming. Please see the log for details.",
         {"; name read back \"\"; nothing to read: "}, {"script call"}},
        {NameDidNotTake, [&] { return renamed(sim::NameSetting::ShowOther, "Someone Else"); },
         {"0000001A", "Someone Else"},
         "Selected actor [0000001A | Someone Else] couldn't receive a name. Please see the log for details.",
         {"; " + listPath("FemaleNames.txt") + "; NameCount 3; randomNumber ", "; name read back \"Someone Else\""}, {"nothing to read", "script call"}},
        {ExecutorNotReady,
         [&] {
             sim::UseExecutorObject(nullptr);
             CommandRun run = female({"female"}, kFemaleNames);
             sim::UseExecutorObject(sim::ExecutorObject(sim::Executor::Game));
             return run;
         },
         {}, "Error: the game's console line executor isn't ready. Aborting function call.",
         {"; script call \"CGF \"Varnel.RenameRefFromCachedData\" 0000001A\""}, {}},
        {UnexpectedFailureWithReason,
         [&] {
             WriteNameList("FemaleNames.txt", kFemaleNames);
             const auto block = sim::ComposeParameterBlock({"female"});
             sim::ClearConsole();
             FailAllocationAfter(0);
             const bool result = ExecuteSetRandomName(nullptr, block.data(), sim::Selected(*reference_));
             StopFailingAllocations();
             return CommandRun{result, sim::ConsoleSeen().lines, {}, {}};
         },
         {"std::bad_alloc"}, "Error: unexpected failure (std::bad_alloc). Aborting function call.", {}, {}},
        {UnexpectedFailure, [&] { return renamed(sim::NameSetting::Throw, "Settler"); }, {},
         "Error: unexpected failure. Aborting function call.", {"; sNewName \""}, {}},
    };
    for (const auto& entry : kCommandMessages) {
        const auto scenario = std::find_if(std::begin(scenarios), std::end(scenarios),
                                           [&](const Scenario& s) { return s.message == entry.message; });
        ASSERT_NE(scenario, std::end(scenarios)) << "no way to produce: " << entry.text;
        SCOPED_TRACE(scenario->expected);
        EXPECT_EQ(FillIn(entry.text, {scenario->values[0], scenario->values[1]}), scenario->expected);
        if (!scenario->run)
            continue;
        std::filesystem::remove_all(std::filesystem::path(PluginFolder));
        OpenLog();
        const CommandRun run = scenario->run();
        EXPECT_FALSE(run.result);
        EXPECT_NE(std::find(run.lines.begin(), run.lines.end(), scenario->expected), run.lines.end());
        // One log line for the call: the console line, then the facts behind it.
        const auto log = PluginLogLines();
        ASSERT_EQ(log.size(), 1U);
        EXPECT_EQ(log[0].rfind("SetRandomName failed: \"" + scenario->expected + "\"", 0), 0U) << log[0];
        for (const auto& fact : scenario->logFacts)
            EXPECT_NE(log[0].find(fact), std::string::npos) << fact << "\n" << log[0];
        for (const auto& fact : scenario->logAbsent)
            EXPECT_EQ(log[0].find(fact), std::string::npos) << fact << "\n" << log[0];
    }
    EXPECT_EQ(std::size(scenarios), std::size(kCommandMessages));
}

}  // namespace
