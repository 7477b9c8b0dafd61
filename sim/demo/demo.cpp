// The plugin in the simulated game console. The host starts as the real one
// does (its log lines and, when a plugin fails, its box), then a short
// scripted session runs; with --interactive, console lines are read from
// standard input. scripts/demo.sh builds it and runs it through
// scripts/demo-session.sh.
//
//   varnel_demo [--interactive] [--names FOLDER] [--runtime A.B.C] [--game-folder DIR]
//
// FOLDER holds FemaleNames.txt and MaleNames.txt (default: data). They and
// Varnel.dll are copied into Data\SFSE\Plugins\ of a scratch game folder (DIR,
// which demo-session.sh makes and removes; by default one in the temporary
// folder), which becomes the working directory, as the game's own folder is
// for the real plugin. The folder is removed on every exit, Ctrl+C included.

#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/demo/console_input.h"
#include "sim/demo/wide_text.h"
#include "sim/game/game_image.h"
#include "sim/host/host.h"
#include "sim/host/host_loader.h"
#include "sim/game/references.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage = "usage: scripts/demo.sh [--interactive] [--names FOLDER] [--runtime A.B.C]";

// What is shown of a word the demo does not know: enough to recognise it.
constexpr std::size_t kEchoedWordLength = 40;

struct Options {
    bool interactive = false;
    fs::path names = "data";
    std::string runtimeText = sim::RuntimeText();
    std::uint32_t runtime = sim::kGameRuntime;
    std::optional<fs::path> gameFolder;
};

struct DemoReference {
    std::unique_ptr<sim::Reference> reference;
    const char* kind;
};

struct Session {
    std::map<std::uint32_t, DemoReference> references;
    sim::Reference* selected = nullptr;
    std::optional<std::size_t> commandEntry;
};

void Say(const std::string& text) { std::cout << text << '\n' << std::flush; }

std::string FormIdText(std::uint32_t formId)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(formId));
    return text;
}

// `word` as far as kEchoedWordLength bytes, then "..." and how long it was.
std::string Shortened(const std::string& word)
{
    if (word.size() <= kEchoedWordLength)
        return word;
    return word.substr(0, kEchoedWordLength) + "... (" + std::to_string(word.size()) + " characters)";
}

// ---- The scratch game folder ----

fs::path chosenGameFolder;

fs::path GameFolder()
{
    if (!chosenGameFolder.empty())
        return chosenGameFolder;
    return fs::temp_directory_path() / ("varnel-demo-game-" + std::to_string(GetCurrentProcessId()));
}

// What the host loaded from the game folder; Windows keeps a loaded DLL's
// file from being deleted, so the plugins go first.
sim::HostReport hostReport;

void RemoveGameFolder()
{
    sim::UnloadPlugins(hostReport);
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(ignored), ignored);
    fs::remove_all(GameFolder(), ignored);
}

// Ctrl+C, Ctrl+Break or a closed console window: the folder goes, then the
// default handling ends the process.
BOOL WINAPI OnConsoleEvent(DWORD /*event*/)
{
    RemoveGameFolder();
    return FALSE;
}

struct GameFolderGuard {
    GameFolderGuard() { SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }
    ~GameFolderGuard() { RemoveGameFolder(); }
    GameFolderGuard(const GameFolderGuard&) = delete;
    GameFolderGuard& operator=(const GameFolderGuard&) = delete;
};

fs::path ExeFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

// Installs the DLL and the lists into a fresh game folder and makes it the
// working directory. Returns the plugin folder.
fs::path PrepareGameFolder(const fs::path& names)
{
    fs::path plugins = GameFolder() / "Data" / "SFSE" / "Plugins";
    fs::remove_all(GameFolder());
    fs::create_directories(plugins);
    fs::copy_file(ExeFolder() / "Varnel.dll", plugins / "Varnel.dll");
    for (const char* list : {"FemaleNames.txt", "MaleNames.txt"}) {
        if (fs::is_regular_file(names / list))
            fs::copy_file(names / list, plugins / list);
        else
            Say("note: " + demo::Utf8Of(names / list) + " does not exist; SetRandomName will report it missing");
    }
    fs::current_path(GameFolder());
    return plugins;
}

// ---- Start-up ----

void StartHost(Session& session, const Options& options, const fs::path& plugins)
{
    Say("== SFSE starts the plugins in Data\\SFSE\\Plugins (game runtime " + options.runtimeText + ")");
    Say("   its log, Documents\\My Games\\Starfield\\SFSE\\Logs\\sfse.txt:");
    hostReport = sim::StartHost(plugins, {options.runtime, sim::kHostVersion});
    for (const auto& line : hostReport.log)
        Say("   | " + line);
    if (hostReport.messageBox) {
        Say("   its message box:");
        std::istringstream box(*hostReport.messageBox);
        for (std::string line; std::getline(box, line);)
            Say("   # " + line);
    }
    Say("== The game's data has loaded (host messages 2 and 3)");
    sim::SendDataLoadedMessages();
    session.commandEntry = sim::FindCommand("SetRandomName");
    Say(session.commandEntry ? "   console command table: TogglePathLine is now SetRandomName"
                             : "   console command table: no SetRandomName; TogglePathLine is as the game made it");
}

void AddReference(Session& session, std::uint32_t formId, std::uint8_t typeCode, const std::string& name,
                  const char* kind, bool hasExtraData = true)
{
    auto reference = sim::MakeReference(formId, typeCode, name);
    if (!hasExtraData)
        sim::DropExtraList(*reference);
    session.references[formId] = {std::move(reference), kind};
}

void AddReferences(Session& session)
{
    AddReference(session, 0x0001A2B3, 75, "Settler", "actor");
    AddReference(session, 0x0002C4D5, 75, "Miner", "actor");
    AddReference(session, 0xFF000800, 75, "Security Guard", "actor");
    AddReference(session, 0x0003E1F0, 0x20, "Supply Crate", "container, not an actor");
    AddReference(session, 0x00045A6B, 75, "Statue", "actor with no extra data", false);
}

// ---- Console commands ----

void ListReferences(const Session& session)
{
    for (const auto& [formId, entry] : session.references)
        Say("   " + FormIdText(formId) + "  " + sim::ShownName(*entry.reference) + "  (" + entry.kind + ")" +
            (entry.reference.get() == session.selected ? "  <- selected" : ""));
}

void Select(Session& session, const std::vector<std::string>& words)
{
    if (words.size() != 2) {
        Say("   usage: prid <FormID>  (1 to 8 hexadecimal digits, as 'list' shows them)");
        return;
    }
    const auto formId = demo::ParseFormId(words[1]);
    if (!formId) {
        Say("   '" + words[1] + "' is not a FormID: 1 to 8 hexadecimal digits (0-9, A-F)");
        return;
    }
    const auto found = session.references.find(*formId);
    if (found == session.references.end()) {
        Say("   no reference with FormID " + FormIdText(*formId) + " (type 'list')");
        return;
    }
    session.selected = found->second.reference.get();
    Say("   selected " + FormIdText(*formId) + " (" + sim::ShownName(*session.selected) + ")");
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
        Say("   console: " + line);
    for (const auto& executed : seen.executed)
        Say("   script call, run on " + executed.executor + ": " + executed.line);
    for (const auto& fault : sim::Faults())
        Say("   GAME CRASH: " + fault);
    if (session.selected != nullptr)
        Say("   name before: " + before + ", after: " + sim::ShownName(*session.selected));
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

// Runs one console line; false when the session should end.
bool RunLine(Session& session, const std::string& line)
{
    const demo::SplitLine split = demo::SplitConsoleLine(line);
    if (!split.problem.empty()) {
        Say("   cannot read this line: " + split.problem);
        return true;
    }
    if (split.words.empty())
        return true;
    const std::string& command = split.words[0];
    if (demo::SameCommand(command, "quit") || demo::SameCommand(command, "exit"))
        return false;
    if (demo::SameCommand(command, "list"))
        ListReferences(session);
    else if (demo::SameCommand(command, "help"))
        Help(session);
    else if (demo::SameCommand(command, "prid"))
        Select(session, split.words);
    else if (demo::SameCommand(command, "SetRandomName"))
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

void InteractiveSession(Session& session)
{
    Say("== Console (type 'help'; 'quit' to leave)");
    std::string line;
    // Ends on quit, at the end of input and when the output is gone.
    while (std::cout << "] " << std::flush && std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!RunLine(session, line))
            return;
    }
    Say("");
}

std::optional<Options> UsageError(const std::string& problem)
{
    Say("demo: " + problem);
    Say(kUsage);
    return std::nullopt;
}

// nullopt, with the problem and the usage printed, for a bad command line.
// The arguments arrive as UTF-8.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--names" || argument == "--runtime" || argument == "--game-folder";
        if (takesValue && i + 1 == arguments.size())
            return UsageError(argument + " needs a value (" + (argument == "--runtime" ? "A.B.C" : "a folder") + ")");
        if (argument == "--interactive") {
            options.interactive = true;
        } else if (argument == "--names") {
            options.names = demo::PathFromUtf8(arguments[++i]);
        } else if (argument == "--game-folder") {
            options.gameFolder = demo::PathFromUtf8(arguments[++i]);
        } else if (argument == "--runtime") {
            options.runtimeText = arguments[++i];
            const auto runtime = sim::ParseRuntime(options.runtimeText);
            if (!runtime) {
                return UsageError("--runtime takes a game version as A.B.C, A and B from 0 to 255 and C from 0 "
                                  "to 4095 (for instance 1.15.222), not '" + Shortened(options.runtimeText) + "'");
            }
            options.runtime = *runtime;
        } else {
            return UsageError("unknown argument '" + Shortened(argument) + "'");
        }
    }
    options.names = fs::absolute(options.names);
    return options;
}

int RunDemo(const Options& options)
{
    sim::StartRunningGame();
    Session session;
    AddReferences(session);

    if (options.gameFolder)
        chosenGameFolder = fs::absolute(*options.gameFolder);
    const GameFolderGuard guard;
    StartHost(session, options, PrepareGameFolder(options.names));
    if (options.interactive)
        InteractiveSession(session);
    else
        ScriptedSession(session);
    return 0;
}

}  // namespace

// wmain: the arguments as the system has them, whatever the code page.
int wmain(int argc, wchar_t** argv)
{
    try {
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(demo::Utf8FromWide(argv[i]));
        if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
            Say(kUsage);
            return 0;
        }
        const auto options = ParseOptions(arguments);
        if (!options)
            return 2;
        return RunDemo(*options);
    } catch (const std::exception& error) {
        std::cerr << "demo: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "demo: unexpected failure\n";
    }
    return 1;
}
