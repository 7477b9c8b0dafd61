#include "tools/namecheck/installation.h"

#include "tools/namecheck/file_text.h"
#include "src/names/list_names.h"
#include "tools/namecheck/host_log.h"

#include <algorithm>

#if defined(_WIN32)
#include <windows.h>

#include <shlobj.h>
#endif

namespace varnel {

namespace {

namespace fs = std::filesystem;

// Starfield's Steam app id: Proton keeps its Windows prefix under it.
constexpr const char* kSteamAppId = "1716740";

bool HasNameIgnoringCase(const fs::path& path, const std::string& name)
{
    return SameNameIgnoringCase(PathAsUtf8(path.filename()), name);
}

// The folder without a closing separator, so that its name is its last part.
fs::path AbsoluteWithoutClosingSeparator(const fs::path& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error)
        absolute = path;
    return absolute.has_filename() ? absolute : absolute.parent_path();
}

bool IsPluginFolder(const fs::path& folder)
{
    return HasNameIgnoringCase(folder, "Plugins") && HasNameIgnoringCase(folder.parent_path(), "SFSE") &&
           HasNameIgnoringCase(folder.parent_path().parent_path(), "Data");
}

fs::path MyGamesLogsBelow(const fs::path& documents) { return documents / "My Games" / "Starfield" / "SFSE" / "Logs"; }

#if defined(_WIN32)
std::optional<fs::path> DocumentsLogs()
{
    PWSTR documents = nullptr;
    const bool found = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &documents));
    std::optional<fs::path> logs;
    if (found)
        logs = MyGamesLogsBelow(documents);
    CoTaskMemFree(documents);
    return logs;
}
#endif

// Proton's prefix of Starfield, for a game folder under steamapps/common.
std::optional<fs::path> ProtonLogs(const fs::path& game)
{
    const fs::path steamapps = game.parent_path().parent_path();
    if (!HasNameIgnoringCase(game.parent_path(), "common") || !HasNameIgnoringCase(steamapps, "steamapps"))
        return std::nullopt;
    const fs::path user = PathIgnoringCase(steamapps, fs::path("compatdata") / kSteamAppId / "pfx" / "drive_c" / "users" / "steamuser");
    for (const char* documents : {"Documents", "My Documents"}) {
        if (IsFolder(PathIgnoringCase(user, documents)))
            return PathIgnoringCase(user, fs::path(documents) / "My Games" / "Starfield" / "SFSE" / "Logs");
    }
    return MyGamesLogsBelow(user / "Documents");
}

// What --logs names: the Logs folder, the SFSE folder above it, or a log in it.
fs::path LogsFolderNamed(const fs::path& named)
{
    const fs::path path = AbsoluteWithoutClosingSeparator(named);
    if (!IsFolder(path))
        return path.parent_path();
    const fs::path below = PathIgnoringCase(path, "Logs");
    return !Exists(PathIgnoringCase(path, kHostLogFile)) && IsFolder(below) ? below : path;
}

void FindLogs(Installation& installation, const std::optional<fs::path>& logs)
{
    if (logs) {
        installation.logsFolder = LogsFolderNamed(*logs);
        installation.logsFoundBy = "named with --logs";
        return;
    }
    if (installation.gameFolder) {
        if (auto proton = ProtonLogs(*installation.gameFolder)) {
            installation.logsFolder = std::move(proton);
            installation.logsFoundBy = "found in Steam's Proton prefix of Starfield (app " + std::string(kSteamAppId) + ")";
            return;
        }
    }
#if defined(_WIN32)
    installation.logsFolder = DocumentsLogs();
    installation.logsFoundBy = "found in the Documents folder";
#endif
}

// Where players put the plugin by mistake: Documents' own Data folder
// (which the game reads for other files), a Data inside Data, a Plugins
// inside Plugins, and the folders on the way.
void FindStrayCopies(Installation& installation)
{
    std::vector<fs::path> places;
    if (installation.logsFolder) {
        const fs::path myGames = installation.logsFolder->parent_path().parent_path();
        places.push_back(myGames / "Data" / "SFSE" / "Plugins");
        places.push_back(myGames / "Data");
    }
    if (installation.gameFolder) {
        const fs::path& game = *installation.gameFolder;
        for (const fs::path& place : {game, game / "Data", game / "Data" / "SFSE", game / "Data" / "Data" / "SFSE" / "Plugins",
                                      game / "Data" / "SFSE" / "Plugins" / "Plugins"})
            places.push_back(place);
    }
    for (const auto& place : places) {
        const fs::path copy = PathIgnoringCase(place, kPluginDll);
        if (Exists(copy))
            installation.strayCopies.push_back(copy);
    }
}

void SetGameFolder(Installation& installation, const fs::path& game)
{
    installation.gameFolder = game;
    installation.pluginFolder = PathIgnoringCase(game, fs::path("Data") / "SFSE" / "Plugins");
}

// %LOCALAPPDATA%\ModOrganizer, where MO2 keeps its global instances: from
// the environment on Windows, and beside the logs' Documents in any prefix.
std::vector<fs::path> ModOrganizerRoots(const Installation& installation)
{
    std::vector<fs::path> roots;
#if defined(_WIN32)
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"))
        roots.push_back(fs::path(local) / "ModOrganizer");
#endif
    if (installation.logsFolder) {
        const fs::path user = installation.logsFolder->parent_path().parent_path().parent_path().parent_path().parent_path();
        roots.push_back(PathIgnoringCase(user, fs::path("AppData") / "Local" / "ModOrganizer"));
    }
    return roots;
}

void FindModOrganizer(Installation& installation)
{
    if (installation.modOrganizer || !installation.gameFolder)
        return;
    for (const fs::path& root : ModOrganizerRoots(installation)) {
        for (auto& instance : GlobalModOrganizerInstances(root)) {
            const auto game = LocalPathOf(instance.gamePath, installation);
            if (game && SamePlace(*game, *installation.gameFolder)) {
                installation.modOrganizer = std::move(instance);
                installation.modOrganizerFoundBy = "a global instance of Mod Organizer 2 whose game is this one";
                return;
            }
        }
    }
}

void PlaceFiles(Installation& installation)
{
    if (!installation.pluginFolder)
        return;
    for (const char* name : {kPluginDll, kFemaleNamesFile, kMaleNamesFile}) {
        PlacedFile placed{PathIgnoringCase(*installation.pluginFolder, name), {}, {}};
        if (installation.modOrganizer) {
            if (auto provided = ProvidedByMods(*installation.modOrganizer, fs::path("SFSE") / "Plugins" / name))
                placed = {provided->path, provided->mod, provided->alsoIn};
        }
        installation.files.push_back(std::move(placed));
    }
}

}  // namespace

const PlacedFile& PlacedFileOf(const Installation& installation, const char* name)
{
    for (const PlacedFile& file : installation.files) {
        if (HasNameIgnoringCase(file.path, name))
            return file;
    }
    return installation.files.front();
}

bool IsFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

bool NamesInstallation(const fs::path& argument)
{
    const fs::path path = AbsoluteWithoutClosingSeparator(argument);
    if (IsFolder(path))
        return Exists(PathIgnoringCase(path, kGameExecutable)) || Exists(PathIgnoringCase(path, kModOrganizerIni)) || IsPluginFolder(path);
    return HasNameIgnoringCase(path, kHostLogFile) || HasNameIgnoringCase(path, "Varnel.log");
}

Installation FindInstallation(const fs::path& argument, const std::optional<fs::path>& logs)
{
    Installation installation;
    const fs::path path = AbsoluteWithoutClosingSeparator(argument);
    if (IsFolder(path) && !Exists(PathIgnoringCase(path, kGameExecutable)))
        installation.modOrganizer = ReadModOrganizerInstance(path);
    if (installation.modOrganizer) {
        installation.modOrganizerFoundBy = "the Mod Organizer 2 instance given";
        if (const auto game = LocalPathOf(installation.modOrganizer->gamePath, installation))
            SetGameFolder(installation, *game);
    } else if (IsFolder(path) && IsPluginFolder(path) && !Exists(PathIgnoringCase(path, kGameExecutable))) {
        SetGameFolder(installation, path.parent_path().parent_path().parent_path());
    } else if (IsFolder(path)) {
        SetGameFolder(installation, path);
    } else {
        installation.logsFolder = path.parent_path();
        installation.logsFoundBy = "the folder of the log given";
        // The folder the script extender scanned, when it is on this machine.
        const HostLog host = ReadHostLog(path.parent_path() / kHostLogFile);
        const auto scanned = LocalPathOf(host.pluginDirectory, installation);
        if (scanned && IsFolder(*scanned))
            SetGameFolder(installation, AbsoluteWithoutClosingSeparator(*scanned).parent_path().parent_path().parent_path());
    }
    if (!installation.logsFolder || logs)
        FindLogs(installation, logs);
    FindModOrganizer(installation);
    PlaceFiles(installation);
    FindStrayCopies(installation);
    return installation;
}

std::optional<fs::path> LocalPathOf(const std::string& windowsPath, const Installation& installation)
{
    if (windowsPath.size() < 3 || windowsPath[1] != ':' || windowsPath[2] != '\\')
        return std::nullopt;
#if defined(_WIN32)
    (void)installation;
    return fs::u8path(windowsPath);
#else
    std::string rest = windowsPath.substr(3);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    const char drive = AsciiLowerCase(windowsPath.substr(0, 1))[0];
    if (drive == 'z')
        return fs::path("/") / fs::u8path(rest);
    for (fs::path up = installation.logsFolder.value_or(fs::path()); up.has_relative_path(); up = up.parent_path()) {
        if (drive == 'c' && up.filename() == "drive_c")
            return up / fs::u8path(rest);
    }
    return std::nullopt;
#endif
}

bool SamePlace(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

}  // namespace varnel
