#pragma once

// The game folder's own files, read as SFSE's loader (0.2.17) reads them
// before it starts the game: Starfield.exe's version and the store it comes
// from, sfse_loader.exe, and the host DLL named for the game's version with
// its file version and the runtime of its SFSECore_Version record.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

enum class GameStore {
    Steam,     // its DRM's section ".bind"
    GamePass,  // Game Pass or the Microsoft Store: SFSE cannot run there
    Epic,      // the Epic SDK: SFSE cannot run there
    Gog,       // Galaxy64.dll: the host DLL's name ends "_gog"
    Packed,    // UPX's sections: SFSE cannot run there
    Other,     // none of these signs
};

enum class FileState { Missing, Unreadable, Read };

struct GameExe {
    std::filesystem::path path;
    FileState state = FileState::Missing;
    std::string productVersion;             // "1.15.216.0" as its resource writes it
    std::optional<std::uint32_t> runtime;   // encoded as plugin records encode it; nullopt: not four numbers
    GameStore store = GameStore::Other;
    std::vector<std::string> storeSigns;    // what showed the store, as the report says it
};

struct HostDll {
    std::filesystem::path path;             // sfse_1_15_216.dll, named for the game's version
    FileState state = FileState::Missing;
    std::optional<std::uint64_t> fileVersion;   // 0.0.2.17 for SFSE 0.2.17
    std::optional<std::uint32_t> coreRuntime;   // SFSECore_Version's runtime
};

struct GameFolder {
    GameExe exe;
    std::filesystem::path loader;           // sfse_loader.exe
    bool loaderPresent = false;
    std::optional<HostDll> hostDll;         // when the game's version is known
    std::vector<std::string> otherHostDlls; // sfse_*.dll for other game versions, by name
};

GameFolder ReadGameFolder(const std::filesystem::path& folder);

const char* StoreName(GameStore store);

// SFSE's release of a host DLL's file version: 0.0.2.17 is "0.2.17".
std::string HostReleaseText(std::uint64_t fileVersion);

}  // namespace varnel
