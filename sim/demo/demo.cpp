// The plugin in the simulated game console. By default a short scripted
// session; with --interactive, console lines are read from standard input.
//
//   varnel_demo [--interactive] [--names FOLDER]
//
// FOLDER holds FemaleNames.txt and MaleNames.txt (default: data). They are
// copied into Data\SFSE\Plugins\ of a scratch game folder, which becomes the
// working directory, as the game's own folder is for the real plugin.

#include "sim/command_table.h"
#include "sim/console.h"
#include "sim/game_image.h"
#include "sim/host.h"
#include "sim/plugin_host.h"
#include "sim/references.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Session {
    std::map<std::uint32_t, std::unique_ptr<sim::Reference>> references;
    sim::Reference* selected = nullptr;
    std::size_t commandEntry = 0;
};

void Say(const std::string& text) { std::cout << text << '\n' << std::flush; }

std::string FormIdText(std::uint32_t formId)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(formId));
    return text;
}


fs::path GameFolder()
{
    return fs::temp_directory_path() / ("varnel-demo-game-" + std::to_string(GetCurrentProcessId()));
}

// Copies the lists into a fresh game folder and makes it the working directory.
bool PrepareGameFolder(const fs::path& names)
{
    std::error_code error;
    const fs::path game = GameFolder();
    const fs::path plugins = game / "Data" / "SFSE" / "Plugins";
    fs::remove_all(game, error);
    fs::create_directories(plugins, error);
    if (error) {
        Say("cannot make the game folder " + game.string());
        return false;
    }
    for (const char* list : {"FemaleNames.txt", "MaleNames.txt"}) {
        if (fs::exists(names / list))
            fs::copy_file(names / list, plugins / list, fs::copy_options::overwrite_existing, error);
        else
            Say("note: " + (names / list).string() + " does not exist; SetRandomName will report it missing");
    }
    fs::current_path(game);
    return true;
}

bool LoadPlugin(const fs::path& dll, Session& session)
{
    Say("== The host loads " + dll.filename().string());
    const sim::LoadedPlugin plugin = sim::LoadPluginLibrary(dll.string());
    if (plugin.module == nullptr || plugin.load == nullptr || plugin.versionRecord == nullptr) {
        Say("   the DLL did not load or lacks its exports");
        return false;
    }
    const char* name = static_cast<const char*>(plugin.versionRecord) + 8;
    const auto version = sim::Load<std::uint32_t>(plugin.versionRecord, 4);
    Say("   SFSEPlugin_Version: \"" + std::string(name) + "\", version " + std::to_string(version >> 24) + "." +
        std::to_string((version >> 16) & 0xFF));
    const bool loaded = plugin.load(sim::HostInterfaceRecord());
    Say(std::string("   SFSEPlugin_Load returned ") + (loaded ? "true" : "false") + "; listeners registered: " +
        std::to_string(sim::Host().listeners.size()));
    if (!loaded)
        return false;

    Say("== The game's data has loaded (host message 2)");
    sim::SendHostMessage(2);
    const auto entry = sim::FindCommand("SetRandomName");
    if (!entry) {
        Say("   SetRandomName was not installed");
        return false;
    }
    session.commandEntry = *entry;
    Say(std::string("   console command table: TogglePathLine is now SetRandomName; TogglePathLine ") +
        (sim::FindCommand("TogglePathLine") ? "still there" : "gone"));
    return true;
}

void AddReference(Session& session, std::uint32_t formId, const std::string& defaultName)
{
    session.references[formId] = sim::MakeReference(formId, 75, defaultName);
}

void ListReferences(const Session& session)
{
    for (const auto& [formId, reference] : session.references)
        Say("   " + FormIdText(formId) + "  " + sim::ShownName(*reference) +
            (reference.get() == session.selected ? "   (selected)" : ""));
}

void Select(Session& session, const std::string& text)
{
    std::uint32_t formId = 0;
    std::istringstream in(text);
    if (!(in >> std::hex >> formId) || session.references.count(formId) == 0) {
        Say("   no reference with FormID " + text + " (type 'list')");
        return;
    }
    session.selected = session.references[formId].get();
    Say("   selected " + FormIdText(formId) + " (" + sim::ShownName(*session.selected) + ")");
}

// Runs SetRandomName through the installed entry, as the console does.
void RunSetRandomName(Session& session, const std::vector<std::string>& arguments)
{
    const std::string before = session.selected ? sim::ShownName(*session.selected) : "";
    sim::ClearConsole();
    const bool result = sim::RunCommand(session.commandEntry, sim::ComposeParameterBlock(arguments),
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

void Help()
{
    Say("   prid <FormID>            select a reference");
    Say("   SetRandomName <argument> rename the selected reference (female or male)");
    Say("   list                     show the references and their names");
    Say("   quit                     leave");
}

// Runs one console line; false when the session should end.
bool RunLine(Session& session, const std::string& line)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    if (command.empty())
        return true;
    if (command == "quit" || command == "exit")
        return false;
    if (command == "list")
        ListReferences(session);
    else if (command == "help")
        Help();
    else if ((command == "prid" || command == "PRID") && words.size() == 1)
        Select(session, words[0]);
    else if (command == "SetRandomName" || command == "setrandomname")
        RunSetRandomName(session, words);
    else
        Say("   unknown command '" + command + "' (type 'help')");
    return true;
}

void Echo(Session& session, const std::string& line)
{
    Say("> " + line);
    RunLine(session, line);
}

void ScriptedSession(Session& session)
{
    Say("== Console session");
    Echo(session, "list");
    Echo(session, "prid 0001A2B3");
    Echo(session, "SetRandomName female");
    Echo(session, "SetRandomName male");
    Echo(session, "SetRandomName Female");
    Echo(session, "list");
}

void InteractiveSession(Session& session)
{
    Say("== Console (type 'help'; 'quit' to leave)");
    std::string line;
    while (std::cout << "] " << std::flush, std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!RunLine(session, line))
            break;
    }
}

fs::path ExeFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

}  // namespace

int main(int argc, char** argv)
{
    bool interactive = false;
    fs::path names = "data";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--interactive")
            interactive = true;
        else if (argument == "--names" && i + 1 < argc)
            names = fs::absolute(argv[++i]);
        else {
            Say("usage: varnel_demo [--interactive] [--names FOLDER]");
            return 2;
        }
    }
    names = fs::absolute(names);
    const fs::path dll = ExeFolder() / "Varnel.dll";

    sim::StartGame();
    sim::MakeConsole();
    sim::UseExecutorObject(sim::ExecutorObject(sim::Executor::Game));
    sim::LayCommandTable(sim::GameCommands());
    Session session;
    AddReference(session, 0x0001A2B3, "Settler");
    AddReference(session, 0x0002C4D5, "Miner");
    AddReference(session, 0xFF000800, "Security Guard");

    if (!PrepareGameFolder(names) || !LoadPlugin(dll, session))
        return 1;
    if (interactive)
        InteractiveSession(session);
    else
        ScriptedSession(session);
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(GameFolder(), ignored);
    return 0;
}
