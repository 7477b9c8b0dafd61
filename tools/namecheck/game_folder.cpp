#include "tools/namecheck/game_folder.h"

#include "src/plugin/host_api.h"
#include "tools/namecheck/file_text.h"
#include "tools/namecheck/pe_reader.h"

#include <cstdio>
#include <cstring>

namespace varnel {

namespace {

namespace fs = std::filesystem;

constexpr const char* kCoreVersionExport = "SFSECore_Version";
constexpr std::uint32_t kCoreVersionFormat = 1;

// VersionStrToInt: four numbers of at most 16 bits, as the loader packs them.
std::optional<std::uint32_t> RuntimeOf(const std::string& text)
{
    unsigned parts[4] = {};
    char end = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &end) != 4)
        return std::nullopt;
    for (const unsigned part : parts) {
        if (part > 0xFFFF)
            return std::nullopt;
    }
    return sfse::EncodeVersion(parts[0], parts[1], parts[2], 0);
}

FileState StateOf(const WholeFile& file)
{
    return !file.present ? FileState::Missing : file.bytes ? FileState::Read : FileState::Unreadable;
}

bool HasName(const std::vector<std::string>& names, const char* name)
{
    for (const auto& each : names) {
        if (SameNameIgnoringCase(each, name))
            return true;
    }
    return false;
}

// Game Pass keeps the game in a folder of its own: XboxGames\Starfield\Content,
// or a library the player named, whose drive's root holds .GamingRoot; the
// Microsoft Store's older installs are under WindowsApps.
std::vector<std::string> GamePassFolderSigns(const fs::path& folder)
{
    std::vector<std::string> signs;
    for (fs::path up = folder; up.has_relative_path(); up = up.parent_path()) {
        if (Exists(up.parent_path() / ".GamingRoot"))
            signs.push_back("its drive holds a Game Pass library (" + PathAsUtf8(up.parent_path() / ".GamingRoot") + ")");
    }
    bool underXboxGames = false;
    for (const auto& part : folder) {
        const std::string name = AsciiLowerCase(PathAsUtf8(part));
        underXboxGames = underXboxGames || name == "xboxgames";
        if (name == "windowsapps" || name == "modifiablewindowsapps")
            signs.push_back("it is under " + PathAsUtf8(part));
    }
    if (underXboxGames && AsciiLowerCase(PathAsUtf8(folder.filename())) == "content")
        signs.push_back("it is a Content folder under XboxGames");
    return signs;
}

// ScanEXE's order: packed, Steam, Game Pass, GOG, Epic.
void ReadStore(const fs::path& folder, const std::optional<PeImage>& image, GameExe& exe)
{
    for (const char* file : {"appxmanifest.xml", "MicrosoftGame.config"}) {
        if (Exists(PathIgnoringCase(folder, file)))
            exe.storeSigns.push_back(std::string(file) + " is beside it");
    }
    for (auto& sign : GamePassFolderSigns(folder))
        exe.storeSigns.push_back(std::move(sign));
    const std::vector<std::string> sections = image ? SectionNames(*image) : std::vector<std::string>{};
    const std::vector<std::string> imports = image ? ImportedDlls(*image) : std::vector<std::string>{};
    if (HasName(sections, "UPX0")) {
        exe.store = GameStore::Packed;
        exe.storeSigns.insert(exe.storeSigns.begin(), "it is packed (section UPX0)");
    } else if (HasName(sections, ".bind")) {
        exe.store = GameStore::Steam;
        exe.storeSigns.insert(exe.storeSigns.begin(), "Steam's section .bind");
    } else if (HasName(imports, "XCurl.dll")) {
        exe.store = GameStore::GamePass;
        exe.storeSigns.insert(exe.storeSigns.begin(), "it imports XCurl.dll");
    } else if (HasName(imports, "Galaxy64.dll")) {
        exe.store = GameStore::Gog;
        exe.storeSigns.insert(exe.storeSigns.begin(), "it imports Galaxy64.dll");
    } else if (HasName(imports, "eossdk-win64-shipping.dll") || Exists(PathIgnoringCase(folder, "eossdk-win64-shipping.dll"))) {
        exe.store = GameStore::Epic;
        exe.storeSigns.insert(exe.storeSigns.begin(), "the Epic SDK, eossdk-win64-shipping.dll");
    }
    // The Microsoft Store's files say so even where the exe cannot be read.
    if (exe.store == GameStore::Other && !exe.storeSigns.empty())
        exe.store = GameStore::GamePass;
}

GameExe ReadGameExe(const fs::path& folder)
{
    GameExe exe;
    exe.path = PathIgnoringCase(folder, "Starfield.exe");
    const WholeFile file = ReadWholeFile(exe.path);
    exe.state = StateOf(file);
    std::optional<PeImage> image;
    if (file.bytes)
        image = ReadPeImage(*file.bytes);
    if (image) {
        if (const auto version = ReadPeVersion(*image)) {
            exe.productVersion = version->productVersionText;
            exe.runtime = RuntimeOf(version->productVersionText);
        }
    }
    if (exe.state != FileState::Missing)
        ReadStore(folder, image, exe);
    return exe;
}

HostDll ReadHostDll(const fs::path& folder, std::uint32_t runtime, GameStore store)
{
    const std::string name = "sfse_" + std::to_string(sfse::VersionMajor(runtime)) + "_" + std::to_string(sfse::VersionMinor(runtime)) +
                             "_" + std::to_string(sfse::VersionBuild(runtime)) + (store == GameStore::Gog ? "_gog" : "") + ".dll";
    HostDll dll;
    dll.path = PathIgnoringCase(folder, name);
    const WholeFile file = ReadWholeFile(dll.path);
    dll.state = StateOf(file);
    const std::optional<PeImage> image = file.bytes ? ReadPeImage(*file.bytes) : std::nullopt;
    if (!image)
        return dll;
    if (const auto version = ReadPeVersion(*image))
        dll.fileVersion = version->fileVersion;
    std::uint32_t fields[2] = {};
    const auto record = ExportedData(*image, kCoreVersionExport);
    if (record && record->size() >= sizeof fields) {
        std::memcpy(fields, record->data(), sizeof fields);
        if (fields[0] == kCoreVersionFormat)
            dll.coreRuntime = fields[1];
    }
    return dll;
}

std::vector<std::string> HostDllsBesides(const fs::path& folder, const std::optional<HostDll>& own)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = PathAsUtf8(entry->path().filename());
        const std::string lower = AsciiLowerCase(name);
        if (lower.starts_with("sfse_") && lower.ends_with(".dll") && lower != "sfse_loader.dll" &&
            (!own || lower != AsciiLowerCase(PathAsUtf8(own->path.filename()))))
            names.push_back(name);
    }
    return names;
}

}  // namespace

GameFolder ReadGameFolder(const fs::path& folder)
{
    GameFolder game;
    game.exe = ReadGameExe(folder);
    game.loader = PathIgnoringCase(folder, "sfse_loader.exe");
    game.loaderPresent = Exists(game.loader);
    if (game.exe.runtime)
        game.hostDll = ReadHostDll(folder, *game.exe.runtime, game.exe.store);
    game.otherHostDlls = HostDllsBesides(folder, game.hostDll);
    return game;
}

const char* StoreName(GameStore store)
{
    switch (store) {
    case GameStore::Steam:
        return "Steam";
    case GameStore::GamePass:
        return "Game Pass or the Microsoft Store";
    case GameStore::Epic:
        return "the Epic Games Store";
    case GameStore::Gog:
        return "GOG";
    case GameStore::Packed:
        return "a packed executable";
    default:
        return "a store it does not name";
    }
}

std::string HostReleaseText(std::uint64_t fileVersion)
{
    return std::to_string(fileVersion >> 32 & 0xFFFF) + "." + std::to_string(fileVersion >> 16 & 0xFFFF) + "." +
           std::to_string(fileVersion & 0xFFFF);
}

}  // namespace varnel
