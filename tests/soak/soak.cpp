// Many SetRandomName commands in a row through the real DLL in the simulated
// game, successes and every kind of failure mixed. Every result is checked,
// and the process's private memory at the end must be within 1 MiB of what it
// was after the first 1,000 commands.
//   varnel_soak [COMMANDS]   (default 100000)

#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/process.h"
#include "sim/game/references.h"
#include "sim/host/host.h"
#include "support/plugin_loader.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kMaleList = "Data\\SFSE\\Plugins\\MaleNames.txt";
const char* const kFemaleList = "Data\\SFSE\\Plugins\\FemaleNames.txt";

struct Kind {
    const char* what;
    std::function<bool()> run;  // true when result, lines and script call are as expected
};

std::size_t commandEntry = 0;

bool Expect(bool result, const std::vector<std::string>& lines, std::size_t scriptCalls)
{
    const auto seen = sim::ConsoleSeen();
    return result == (scriptCalls == 1) && seen.lines == lines && seen.executed.size() == scriptCalls &&
           sim::Faults().empty();
}

bool Run(const std::vector<std::string>& arguments, sim::Reference* reference, const std::vector<std::string>& lines,
         std::size_t scriptCalls = 0)
{
    sim::ClearConsole();
    const bool result = sim::RunCommand(commandEntry, sim::ComposeParameterBlock(arguments),
                                        reference != nullptr ? sim::Selected(*reference) : nullptr);
    if (reference != nullptr)
        reference->extraList.namesSet.clear();  // the simulation's own record; it would grow
    return Expect(result, lines, scriptCalls);
}

void WriteFile(const char* path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Committed private memory of the process, summed over its address space
// (Wine leaves the process memory counters at zero).
std::size_t PrivateBytes()
{
    std::size_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<std::uint8_t*>(nullptr); VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<std::uint8_t*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
    }
    return total;
}

}  // namespace

int main(int argc, char** argv)
{
    const long commands = argc > 1 ? std::atol(argv[1]) : 100000;
    const fs::path game = fs::temp_directory_path() / ("varnel-soak-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(game / "Data" / "SFSE" / "Plugins");
    const fs::path exeFolder = fs::current_path();
    fs::current_path(game);
    const std::string maleNames = "Dov\nEmil\r\nFinn\n";
    WriteFile(kFemaleList, "Anna\n\nBeth\r\nCara\n");
    WriteFile(kMaleList, maleNames);

    sim::StartRunningGame();
    const auto plugin = LoadPluginLibrary((exeFolder / "Varnel.dll").string());
    if (plugin.load == nullptr || !plugin.load(sim::HostInterfaceRecord())) {
        std::puts("soak: Varnel.dll did not load");
        return 1;
    }
    sim::SendHostMessage(sfse::kHostMessageDataLoaded);
    commandEntry = *sim::FindCommand("SetRandomName");

    auto actor = sim::MakeReference(0x1A);
    auto object = sim::MakeReference(0x1B, 0x3E);
    auto bare = sim::MakeReference(0x1C);
    sim::DropExtraList(*bare);
    auto stubborn = sim::MakeReference(0x1D);
    stubborn->extraList.setting = sim::NameSetting::ShowOther;
    stubborn->extraList.otherName = "100% Stubborn";
    auto nameless = sim::MakeReference(0x1E, 75, "");
    nameless->extraList.setting = sim::NameSetting::ShowOther;

    const std::string notSupported = "Error: command parameter is not supported. Aborting function call.";
    const std::string countLine = "Error: int 'NameCount' is out of range. Aborting function call.";
    const std::vector<Kind> kinds = {
        {"female", [&] { return Run({"female"}, actor.get(), {}, 1); }},
        {"male", [&] { return Run({"male"}, actor.get(), {}, 1); }},
        {"no reference", [&] { return Run({"male"}, nullptr, {"Error: no selected reference. Aborting function call."}); }},
        {"wrong type", [&] {
             return Run({"male"}, object.get(),
                        {"Error: selected reference is not an Actor or Object Reference. Aborting function call."});
         }},
        {"no extra data", [&] {
             return Run({"male"}, bare.get(),
                        {"Error: the specified actor [0000001C] has no attached extra data which is "
                         "unsupported.Aborting function call."});
         }},
        {"no argument", [&] { return Run({}, actor.get(), {"Error: no name was specified. Aborting function call."}); }},
        {"two arguments", [&] {
             return Run({"male", "female"}, actor.get(),
                        {"Error: size of std::vector 'Parameters' > 1. Aborting function call."});
         }},
        {"empty argument", [&] {
             return Run({""}, actor.get(), {"Error: std::vector 'Parameters' is empty. Aborting function call."});
         }},
        {"unsupported", [&] { return Run({"Female"}, actor.get(), {notSupported}); }},
        {"missing list", [&] {
             fs::remove(kMaleList);
             const bool ok = Run({"male"}, actor.get(),
                                 {"Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting "
                                  "function call.",
                                  countLine});
             WriteFile(kMaleList, maleNames);
             return ok;
         }},
        {"empty list", [&] {
             WriteFile(kMaleList, "");
             const bool ok = Run({"male"}, actor.get(), {countLine});
             WriteFile(kMaleList, maleNames);
             return ok;
         }},
        {"only empty lines", [&] {
             WriteFile(kMaleList, "\n\r\n");
             const bool ok =
                 Run({"male"}, actor.get(), {"Error: std::string 'sNewName' is empty. Aborting function call."});
             WriteFile(kMaleList, maleNames);
             return ok;
         }},
        {"name not taken", [&] {
             return Run({"female"}, stubborn.get(),
                        {"Selected actor [0000001D | 100% Stubborn] couldn't receive a name. Please see the log for "
                         "details."});
         }},
        {"name read back empty", [&] {
             return Run({"female"}, nameless.get(),
                        {"Error: critical error occured during renaming. Please see the log for details."});
         }},
    };

    long failures = 0;
    std::size_t afterWarmUp = 0;
    for (long i = 0; i < commands; ++i) {
        const Kind& kind = kinds[static_cast<std::size_t>(i) % kinds.size()];
        if (!kind.run()) {
            if (++failures <= 10)
                std::printf("soak: command %ld (%s) did not go as expected\n", i, kind.what);
        }
        if (i + 1 == 1000)
            afterWarmUp = PrivateBytes();
    }
    const std::size_t atEnd = PrivateBytes();
    const long long growth = static_cast<long long>(atEnd) - static_cast<long long>(afterWarmUp);
    std::printf("soak: %ld commands, %ld unexpected results; private memory after 1,000: %zu KiB, at the end: %zu KiB "
                "(%+lld KiB)\n",
                commands, failures, afterWarmUp / 1024, atEnd / 1024, growth / 1024);

    // Commands on short-lived threads, one after another: what a command
    // keeps must not depend on how many threads ever ran one. Wine keeps
    // some memory for threads that ran and reuses it for new ones, so as many
    // threads that run nothing go first.
    constexpr int kThreads = 100;
    auto growthOverThreads = [&](const std::function<bool()>& work) {
        const std::size_t before = PrivateBytes();
        for (int i = 0; i < kThreads; ++i) {
            bool ok = false;
            std::thread([&] { ok = work(); }).join();
            failures += ok ? 0 : 1;
        }
        return static_cast<long long>(PrivateBytes()) - static_cast<long long>(before);
    };
    growthOverThreads([] { return true; });
    const long long threadGrowth = growthOverThreads(kinds[0].run);
    std::printf("soak: a command on each of %d short-lived threads: private memory %+lld KiB\n", kThreads,
                threadGrowth / 1024);

    fs::current_path(exeFolder);
    std::error_code ignored;
    fs::remove_all(game, ignored);
    const bool bounded = (commands < 1000 || growth <= 1024LL * 1024) && threadGrowth <= 2LL * 1024 * 1024;
    return failures == 0 && bounded ? 0 : 1;
}
