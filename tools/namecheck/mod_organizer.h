#pragma once

// Mod Organizer 2's instances, read as its source writes them: an instance
// folder holds ModOrganizer.ini (a portable one beside the program, a global
// one under %LOCALAPPDATA%\ModOrganizer\<instance>); its [General] gamePath
// names the game and selected_profile the profile, whose modlist.txt lists
// the mods, highest priority first ("+" enabled, "-" disabled, "*" not
// managed). MO2 puts a mod's files into the game it starts only: its
// mods\<mod>\SFSE\Plugins\Varnel.dll is Data\SFSE\Plugins\Varnel.dll there.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

inline constexpr const char* kModOrganizerIni = "ModOrganizer.ini";

struct ModOrganizerInstance {
    std::filesystem::path folder;       // the one holding ModOrganizer.ini
    std::string gamePath;               // as written, a Windows path
    std::string profile;
    std::filesystem::path modsFolder;
    std::filesystem::path overwriteFolder;
    std::filesystem::path modList;      // the profile's modlist.txt
    std::vector<std::string> enabledMods;  // highest priority first
};

// The instance of `folder` when it holds ModOrganizer.ini.
std::optional<ModOrganizerInstance> ReadModOrganizerInstance(const std::filesystem::path& folder);

// The global instances in `instancesRoot` (%LOCALAPPDATA%\ModOrganizer).
std::vector<ModOrganizerInstance> GlobalModOrganizerInstances(const std::filesystem::path& instancesRoot);

// Where the instance's mods provide `relative` (below Data) when it starts
// the game: the highest priority enabled mod's file (overwrite above all).
struct ProvidedFile {
    std::filesystem::path path;
    std::string mod;                        // its mod's name ("overwrite" for MO2's own folder)
    std::vector<std::string> alsoIn;        // lower priority mods with the same file
};
std::optional<ProvidedFile> ProvidedByMods(const ModOrganizerInstance& instance, const std::filesystem::path& relative);

}  // namespace varnel
