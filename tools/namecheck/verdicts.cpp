#include "tools/namecheck/verdicts.h"

#include "src/plugin/plugin_version.h"

#include <iterator>

namespace varnel {

const Verdict kVerdicts[] = {
    // The game's own files, as SFSE's loader reads them first.
    {"game-store-unsupported", Status::Blocked, "Starfield here is the version of <store> (<signs>): SFSE runs only with the Steam version.",
     "No SFSE plugin can run with this version of the game: SetRandomName needs the Steam version of Starfield "
     VARNEL_GAME_RUNTIME_TEXT " and SFSE."},
    {"game-version-other", Status::Blocked,
     "The game is <game>; Varnel.dll <plugin> is built for " VARNEL_GAME_RUNTIME_TEXT " only, whatever the logs say.",
     "Nothing else helps: play game version " VARNEL_GAME_RUNTIME_TEXT " (with its SFSE release), or wait for a build of "
     "Varnel for <game>."},
    {"sfse-loader-missing", Status::Blocked, "sfse_loader.exe is not in <folder>: the game cannot start through SFSE.",
     "Copy every file of the SFSE release for game " VARNEL_GAME_RUNTIME_TEXT " into <folder>, then start the game with "
     "sfse_loader.exe."},
    {"sfse-dll-missing", Status::Blocked,
     "<dll> is not in <folder>: SFSE's loader will stop with \"Couldn't find SFSE DLL\".",
     "Copy every file of the SFSE release for game " VARNEL_GAME_RUNTIME_TEXT " into <folder>."},
    {"sfse-dll-wrong", Status::Blocked, "<dll> is <what>: SFSE's loader will stop with \"<stop>\".",
     "Copy every file of the SFSE release for game " VARNEL_GAME_RUNTIME_TEXT " into <folder>, replacing those there."},
    {"loader-stopped", Status::Blocked,
     "SFSE's loader stopped the last start (<time> UTC): \"<stop>\"; the game has not started through SFSE since "
     "sfse.txt was written.",
     "<action>"},
    // The plugin's file.
    {"plugin-in-wrong-folder", Status::Blocked, "Varnel.dll is in <folder>, a folder the game does not read.",
     "Move Varnel.dll, FemaleNames.txt and MaleNames.txt into <plugins>."},
    {"plugin-missing", Status::Blocked, "Varnel.dll is not in <plugins>.",
     "Install the zip with your mod manager, or unpack it into the game's Data folder so that <dll> exists."},
    {"plugin-unreadable", Status::Unknown, "<dll> cannot be read.",
     "Close the game and any program that has the file open, then run this again."},
    {"not-this-plugin", Status::Blocked, "<dll> is not this plugin.", "Reinstall the zip."},
    // SFSE's start, from its log.
    {"logs-unknown", Status::Unknown, "The logs folder of SFSE is not known here.",
     "Name it with --logs FOLDER: Documents\\My Games\\Starfield\\SFSE\\Logs of the game's Windows user."},
    {"sfse-not-run", Status::Blocked, "SFSE has written no sfse.txt: the game has not been started through SFSE.",
     "Start the game with sfse_loader.exe, then run this again."},
    {"sfse-unreadable", Status::Unknown, "sfse.txt cannot be read.", "Close the game, then run this again."},
    {"sfse-not-a-log", Status::Unknown, "sfse.txt is not a log SFSE wrote.",
     "Start the game with sfse_loader.exe, then run this again."},
    {"game-ended-loading", Status::Blocked,
     "sfse.txt <how>: the game ended while SFSE was loading plugins (SFSE writes its log out only once they have all "
     "loaded), or it is still starting.",
     "If the game is still starting, let it reach the main menu and run this again. Otherwise a plugin ended it: <action>"},
    {"sfse-older-than-plugin", Status::Blocked,
     "sfse.txt is older than Varnel.dll: the game has not been started through SFSE since the plugin was installed.",
     "Start the game with sfse_loader.exe (to the main menu), then run this again."},
    // Varnel.dll's loading: the plugin's log says more than SFSE's reason.
    {"listener-refused", Status::Blocked,
     "SFSE refused Varnel.dll's listener: plugins before it failed in SFSE's loading (<failed>), and SFSE counts "
     "listeners against the plugins left.",
     "Update or remove <failed>, then start the game again."},
    {"not-offered", Status::Blocked, "SFSE <host> did not offer what Varnel.dll needs: \"<line>\".", "<action>"},
    {"host-refused", Status::Blocked, "SFSE did not load Varnel.dll: <reason>.", "<action>"},
    {"scan-stopped", Status::Blocked, "<file> stopped SFSE's scan before it reached Varnel.dll.",
     "Remove <file> from Data\\SFSE\\Plugins: it is not an SFSE plugin (SFSE loads no plugin after it)."},
    {"plugin-not-scanned", Status::Blocked, "SFSE did not find Varnel.dll in the folder it scanned, <folder>.",
     "Install the plugin into that folder, the Data\\SFSE\\Plugins of the game SFSE starts."},
    {"second-copy", Status::Blocked, "SFSE loaded Varnel.dll twice: <file> is a copy of it.",
     "Remove <file> from Data\\SFSE\\Plugins: only one copy can take over TogglePathLine."},
    // The plugin at work, from its log.
    {"log-unreadable", Status::Unknown, "Varnel.log cannot be read.", "Close the game, then run this again."},
    {"command-taken", Status::Blocked,
     "SetRandomName did not take over TogglePathLine: another plugin took or renamed that console command.",
     "Only one plugin can have TogglePathLine: remove the other plugin, or this one."},
    {"other-working-folder", Status::Blocked,
     "The game looked for its lists in <folder>, not in <plugins>: it was started from another folder than its own.",
     "Start the game with sfse_loader.exe from the game's folder (a shortcut's \"Start in\" must be that folder)."},
    // The lists.
    {"list-unreadable", Status::Unknown, "<list> could not be read to its end.",
     "Close the program that has it open, then run this again."},
    {"list-problem", Status::Blocked, "<list>: <finding>", "<action>"},
    // Other plugins.
    {"other-plugins-failed", Status::Blocked,
     "SFSE's box lists plugins that failed to load (<names>): it comes at every start, and Yes in it ends the game.",
     "Press No to play on without them; remove or update <names> to be rid of the box."},
    {"all-well", Status::Clear, "Nothing stands in the way of SetRandomName.",
     "Select a character in the console, then type SetRandomName female or SetRandomName male."},
};
const std::size_t kVerdictCount = std::size(kVerdicts);


const Verdict* FindVerdict(const std::string& key)
{
    for (const Verdict& verdict : kVerdicts) {
        if (key == verdict.key)
            return &verdict;
    }
    return nullptr;
}

std::string Filled(const char* pattern, const Filling& values)
{
    std::string text = pattern;
    for (const auto& [name, value] : values) {
        const std::string marker = "<" + name + ">";
        for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size()))
            text.replace(at, marker.size(), value);
    }
    return text;
}

int ExitStatusOf(Status status) { return status == Status::Clear ? 0 : status == Status::Blocked ? 1 : 2; }

}  // namespace varnel
