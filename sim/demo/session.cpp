#include "sim/demo/session.h"

#include "sim/demo/console_input.h"
#include "sim/demo/game_folder.h"
#include "sim/demo/terminal.h"
#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/host/host.h"
#include "sim/loader/loader.h"
#include "sim/text.h"
#include "sim/demo/wide_text.h"
#include "src/text/utf8.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

namespace demo {

namespace {

// A name or console line as the terminal gets it: UTF-8 on one line, bytes
// that are not UTF-8 and control characters as \xNN (a list in another
// encoding gives such names).
std::string Shown(const std::string& text) { return varnel::Escaped(text, varnel::Backslashes::Kept); }

// Shows the host's log from line `from` to line `to` (default: its end);
// returns where it stopped.
std::size_t ShowLog(std::size_t from, std::size_t to = SIZE_MAX)
{
    const auto& log = sim::Host().log;
    to = std::min(to, log.size());
    // The simulation's own crash reports are marked as such: the host
    // never writes them.
    for (std::size_t i = from; i < to; ++i)
        Say((sim::IsSimulationReport(log[i]) ? "   !! the simulation: " : "   | ") + log[i]);
    return to;
}

void ShowBox(const std::string& title, const std::string& text, const char* buttons)
{
    Say("   its message box \"" + title + "\" (" + buttons + "):");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        Say("   # " + Shown(line));
}

}  // namespace

bool RunLoader(const Options& options, const std::filesystem::path& gameFolder)
{
    Say("== SFSE's loader (sfse_loader.exe of SFSE " + sfse::VersionText(options.release.version) +
        ") checks the game folder (Starfield.exe " + options.runtimeText + ")");
    const sim::LoaderRun run = sim::RunLoader(gameFolder, options.release);
    Say("   its log, " + Utf8Of(sim::LoaderLogFilePath()) + ":");
    for (const std::string& line : run.log)
        Say("   | " + Shown(line));
    if (run.started)
        return true;
    if (run.box)
        ShowBox(sim::kLoaderBoxTitle, *run.box, "OK");
    Say("== The game does not start: the loader stopped before it");
    return false;
}

bool StartHost(Session& session, const Options& options, const std::filesystem::path& gameFolder, sim::HostReport& report)
{
    Say("== SFSE " + sfse::VersionText(options.release.version) +
        " starts the plugins in Data\\SFSE\\Plugins (game runtime " + options.runtimeText + ")");
    report = sim::StartHost(PluginFolderOf(gameFolder), {options.release.runtime, options.release.version, sim::BoxAnswer::No});
    Say("   its log, " + Utf8Of(sim::HostLogFilePath()) + ":");
    std::size_t shown = ShowLog(0, report.boxesAfterLine);
    for (const auto& box : report.boxes)
        ShowBox(box.title, box.text, "Yes / No; the demo answers No");
    shown = ShowLog(shown);
    if (sim::Host().gone)
        return false;
    // The game makes its Scaleform manager: the host tells the plugins that asked.
    sim::ScaleformManagerMade();
    shown = ShowLog(shown);
    if (sim::Host().gone)
        return false;
    Say("== The game's data has loaded (host messages 2 and 3)");
    sim::SendDataLoadedMessages();
    ShowLog(shown);
    if (sim::Host().gone)
        return false;
    session.commandEntry = sim::FindCommand("SetRandomName");
    Say(session.commandEntry ? "   console command table: TogglePathLine is now SetRandomName"
                             : "   console command table: no SetRandomName; TogglePathLine is as the game made it");
    return true;
}

bool OpenConsole()
{
    const std::size_t shown = sim::Host().log.size();
    sim::MenuMovieLoaded();
    ShowLog(shown);
    return !sim::Host().gone;
}

namespace {

void AddReference(Session& session, std::uint32_t formId, std::uint8_t typeCode, const std::string& name,
                  const char* kind, bool hasExtraData = true)
{
    auto reference = sim::MakeReference(formId, typeCode, name);
    if (!hasExtraData)
        sim::DropExtraList(*reference);
    session.references[formId] = {std::move(reference), kind};
}

}  // namespace

void AddReferences(Session& session)
{
    AddReference(session, 0x0001A2B3, 75, "Settler", "actor");
    AddReference(session, 0x0002C4D5, 75, "Miner", "actor");
    AddReference(session, 0xFF000800, 75, "Security Guard", "actor");
    AddReference(session, 0x0003E1F0, 0x20, "Supply Crate", "container, not an actor");
    AddReference(session, 0x00045A6B, 75, "Statue", "actor with no extra data", false);
}

namespace {

void ListReferences(const Session& session)
{
    for (const auto& [formId, entry] : session.references)
        Say("   " + sim::Hex8(formId) + "  " + Shown(sim::ShownName(*entry.reference)) + "  (" + entry.kind + ")" +
            (entry.reference.get() == session.selected ? "  <- selected" : ""));
}

void Select(Session& session, const std::vector<std::string>& words)
{
    if (words.size() != 2) {
        Say("   usage: prid <FormID>  (1 to 8 hexadecimal digits, as 'list' shows them)");
        return;
    }
    const auto formId = ParseFormId(words[1]);
    if (!formId) {
        Say("   '" + words[1] + "' is not a FormID: 1 to 8 hexadecimal digits (0-9, A-F)");
        return;
    }
    const auto found = session.references.find(*formId);
    if (found == session.references.end()) {
        Say("   no reference with FormID " + sim::Hex8(*formId) + " (type 'list')");
        return;
    }
    session.selected = found->second.reference.get();
    Say("   selected " + sim::Hex8(*formId) + " (" + Shown(sim::ShownName(*session.selected)) + ")");
}

// Runs SetRandomName through the installed entry, as the console does.
void RunSetRandomName(const Session& session, const std::vector<std::string>& words)
{
    if (!session.commandEntry) {
        Say("   console: Script command \"" + words[0] + "\" not found.");
        return;
    }
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (const std::string problem = sim::ParameterBlockProblem(arguments); !problem.empty()) {
        Say("   the console cannot pass this line: " + problem);
        return;
    }
    const std::string before = session.selected ? sim::ShownName(*session.selected) : "";
    sim::ClearConsole();
    const bool result = sim::RunCommand(*session.commandEntry, sim::ComposeParameterBlock(arguments),
                                        session.selected ? sim::Selected(*session.selected) : nullptr);
    const auto seen = sim::ConsoleSeen();
    for (const auto& line : seen.lines)
        Say("   console: " + Shown(line));
    for (const auto& executed : seen.executed)
        Say("   script call, run on " + executed.executor + ": " + Shown(executed.line));
    for (const auto& fault : sim::Faults())
        Say("   !! the simulation: " + fault);
    if (session.selected != nullptr)
        Say("   name before: " + Shown(before) + ", after: " + Shown(sim::ShownName(*session.selected)));
    Say(std::string("   result: ") + (result ? "true" : "false"));
}

void Help(const Session& session)
{
    Say("   prid <FormID>              select a reference");
    Say("   SetRandomName <arguments>  rename the selected reference (female or male);");
    Say("                              \"...\" makes one argument: SetRandomName \"\" or \"male \"");
    Say("   list                       show the references, their names and kinds");
    Say("   quit                       leave");
    Say("   Command words may be typed in any case. The references:");
    ListReferences(session);
}

}  // namespace

bool RunLine(Session& session, const std::string& line)
{
    const demo::SplitLine split = SplitConsoleLine(line);
    if (!split.problem.empty()) {
        Say("   cannot read this line: " + split.problem);
        return true;
    }
    if (split.words.empty())
        return true;
    const std::string& command = split.words[0];
    if (SameCommand(command, "quit") || SameCommand(command, "exit"))
        return false;
    if (SameCommand(command, "list"))
        ListReferences(session);
    else if (SameCommand(command, "help"))
        Help(session);
    else if (SameCommand(command, "prid"))
        Select(session, split.words);
    else if (SameCommand(command, "SetRandomName"))
        RunSetRandomName(session, split.words);
    else
        Say("   unknown command '" + Shortened(command) + "' (type 'help')");
    return true;
}

void ScriptedSession(Session& session)
{
    Say("== Console session");
    for (const char* line : {"list", "prid 0001A2B3", "SetRandomName female", "SetRandomName male",
                             "SetRandomName Female", "list"}) {
        Say("> " + std::string(line));
        RunLine(session, line);
    }
}

void InteractiveSession(Session& session, bool inputShown)
{
    Say("== Console (type 'help'; 'quit' to leave)");
    std::string line;
    // Ends on quit, at the end of input and when the output is gone.
    while (Write("] ") && ReadLine(line)) {
        // Lines nobody typed are shown after the prompt, as typing shows them.
        if (!inputShown)
            Say(Shortened(line, kEchoedLineLength));
        if (!RunLine(session, line))
            return;
    }
    Say("");
}

}  // namespace demo
