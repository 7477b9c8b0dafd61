// The plugin in the simulated game console. The host starts as the real one
// does (its log lines and, when a plugin fails, its box), then a short
// scripted session runs; with --interactive, console lines are read from
// standard input. scripts/demo.sh builds it and runs it through
// scripts/demo-session.sh.
//
//   varnel_demo [--interactive] [--names FOLDER] [--plugins FOLDER] [--runtime A.B.C] [--sfse VERSION]
//               [--game-folder DIR [--keep-game-folder]]
//
// FOLDER holds FemaleNames.txt and MaleNames.txt (default: data). They and
// Varnel.dll are copied into Data\SFSE\Plugins\ of a scratch game folder (DIR,
// which demo-session.sh makes and removes; by default one in the temporary
// folder), which becomes the working directory, as the game's own folder is
// for the real plugin. Beside Data it holds Starfield.exe of the --runtime
// game version and the --sfse release's sfse_loader.exe and host DLL: SFSE's
// loader checks them first, and the game starts only when it passes. With --plugins, every DLL of FOLDER goes there too, so
// a plugin author sees the host's rules at work on their plugins beside it.
// At the end sfse.txt and the plugin's own log are shown as a player finds
// them, each said to be this start's or an earlier one's.

#include "sim/demo/game_folder.h"
#include "sim/demo/options.h"
#include "sim/demo/player_logs.h"
#include "sim/demo/session.h"
#include "sim/demo/terminal.h"
#include "sim/demo/wide_text.h"
#include "sim/host/host.h"
#include "sim/process.h"

#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int RunDemo(const demo::Options& options)
{
    sim::StartRunningGame();
    demo::Session session;
    demo::AddReferences(session);
    const demo::GameFolderGuard guard(options.gameFolder, options.keepGameFolder);
    const std::filesystem::path game = demo::PrepareGameFolder(options);
    const bool running = demo::RunLoader(options, game) &&
                         demo::StartHost(session, options, game, demo::LoadedPlugins()) && demo::OpenConsole();
    if (running && options.interactive)
        demo::InteractiveSession(session, options.typedInput || demo::InputIsConsole());
    else if (running)
        demo::ScriptedSession(session);
    // The game exits normally: its streams are written out.
    sim::FlushHostLogFile();
    demo::ShowPlayerLogs(game);
    return 0;
}

}  // namespace

// wmain: the arguments as the system has them, whatever the code page.
int wmain(int argc, wchar_t** argv)
{
    demo::UseBinaryStandardStreams();
    try {
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(demo::Utf8FromWide(argv[i]));
        std::string problem;
        const auto options = demo::ParseOptions(arguments, problem);
        if (!options) {
            demo::Say("demo: " + problem);
            demo::Say(demo::kUsage);
            return 2;
        }
        if (options->help) {
            demo::Say(demo::kUsage);
            return 0;
        }
        return RunDemo(*options);
    } catch (const std::exception& error) {
        demo::Say(std::string("demo: ") + error.what());
    } catch (...) {
        demo::Say("demo: unexpected failure");
    }
    return 1;
}
