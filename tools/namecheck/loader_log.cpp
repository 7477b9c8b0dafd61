#include "tools/namecheck/loader_log.h"

#include "src/plugin/plugin_version.h"
#include "tools/namecheck/file_text.h"

#include <iterator>
#include <string_view>
#include <vector>

namespace varnel {

// PrintLoaderError's messages in sfse_loader\main.cpp and IdentifyEXE.cpp.
const LoaderStop kLoaderStops[] = {
    {"Couldn't find SFSE DLL", 6,
     "there is no SFSE DLL for this game version in the game's folder: SFSE is not installed there, or the game was "
     "updated past the SFSE release installed. Install the SFSE release for your game version into the game's folder "
     "(this plugin needs game " VARNEL_GAME_RUNTIME_TEXT ")."},
    {"Old SFSE DLL", 3, "the SFSE DLL is older than its loader: copy every file of one SFSE release into the game's folder."},
    {"Bad SFSE DLL", 3,
     "the SFSE DLL is not the one for this game version (renamed from another release): copy every file of the SFSE "
     "release for your game version into the game's folder."},
    {"You have the MS Store/Gamepass version of Starfield", 1,
     "SFSE runs only with the Steam version of the game; no SFSE plugin can run with this one."},
    {"The Windows Store (gamepass) version of Starfield is not supported.", 1,
     "SFSE runs only with the Steam version of the game; no SFSE plugin can run with this one."},
    {"The Epic Store version of Starfield is not supported.", 1,
     "SFSE runs only with the Steam version of the game; no SFSE plugin can run with this one."},
    {"Couldn't find ", 1,
     "sfse_loader.exe was started from another folder than the game's: put it beside Starfield.exe and start it there."},
    {"You have renamed sfse_loader", 1, "give sfse_loader.exe its own name back, and start the game with it."},
    {"You have customized the runtime name", 1, "remove the RuntimeName line from Data\\SFSE\\sfse.ini."},
    {"Couldn't retrieve EXE version information.", 1,
     "Starfield.exe is damaged or not the game's: let Steam verify the game's files."},
    {"Failed to identify EXE type.", 1, "Starfield.exe is damaged or not the game's: let Steam verify the game's files."},
    {"Launching ", 1, "Windows refused to start the game: start sfse_loader.exe as an administrator once."},
    {"Couldn't inject DLL.", 1,
     "something stopped SFSE from entering the game, most often an antivirus: allow sfse_loader.exe and the SFSE DLL "
     "in it."},
    {"Couldn't read arguments.", 1, "start sfse_loader.exe without arguments, from the game's folder."},
};
const std::size_t kLoaderStopCount = std::size(kLoaderStops);

namespace {

constexpr std::string_view kStart = "SFSE loader: initialize (version = ";
constexpr std::string_view kLaunching = "launching";

const LoaderStop* StopOpening(std::string_view line)
{
    for (const LoaderStop& stop : kLoaderStops) {
        if (line.starts_with(stop.opening))
            return &stop;
    }
    return nullptr;
}

// "0.2.17 01010010 2026-12-10 10:00:00, os = ...)": the release and the stamp.
void ReadStart(std::string_view line, LoaderLog& log)
{
    const std::string_view rest = line.substr(kStart.size());
    log.release = std::string(rest.substr(0, rest.find(' ')));
    const std::size_t stamp = rest.find(' ', rest.find(' ') + 1);
    if (stamp != std::string_view::npos) {
        log.startStamp = std::string(rest.substr(stamp + 1, 19));
        log.started = UtcStampSeconds(log.startStamp);
    }
}

}  // namespace

LoaderLog ReadLoaderLog(const std::filesystem::path& path)
{
    LoaderLog log;
    log.path = path;
    const WholeFile file = ReadWholeFile(path);
    if (!file.present)
        return log;
    log.times = file.times;
    if (!file.bytes) {
        log.state = LoaderLogState::Unreadable;
        return log;
    }
    if (!std::string_view(*file.bytes).starts_with(kStart)) {
        log.state = LoaderLogState::NotLoaderLog;
        return log;
    }
    log.state = LoaderLogState::Read;
    const std::vector<std::string_view> lines = LinesOf(*file.bytes);
    ReadStart(lines.front(), log);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        log.launched = log.launched || lines[i] == kLaunching;
        if (log.stop != nullptr)
            continue;
        log.stop = StopOpening(lines[i]);
        if (log.stop == nullptr)
            continue;
        log.stopText = std::string(lines[i]);
        for (std::size_t j = i + 1; j < lines.size() && j < i + log.stop->lines; ++j)
            log.stopText.append(" ").append(lines[j]);
    }
    return log;
}

}  // namespace varnel
