#pragma once

// Where a player's installation keeps what the checker reads: the game's
// folder (the one holding Starfield.exe), its Data\SFSE\Plugins, and the
// logs folder the script extender and the plugin write to.

#include "tools/namecheck/mod_organizer.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

inline constexpr const char* kGameExecutable = "Starfield.exe";
inline constexpr const char* kPluginDll = "Varnel.dll";

// One of the plugin's files where the game gets it: the game folder's own,
// or the mod manager's mod that provides it when it starts the game.
struct PlacedFile {
    std::filesystem::path path;
    std::string mod;                    // empty: the game folder's own
    std::vector<std::string> alsoIn;    // lower priority mods with the file too
};

struct Installation {
    std::optional<std::filesystem::path> gameFolder;
    std::optional<std::filesystem::path> pluginFolder;  // the game folder's Data\SFSE\Plugins, in its letter case on disk
    std::optional<ModOrganizerInstance> modOrganizer;   // the instance that starts this game
    std::string modOrganizerFoundBy;
    std::vector<PlacedFile> files;                      // Varnel.dll, FemaleNames.txt, MaleNames.txt, in that order
    std::optional<std::filesystem::path> logsFolder;
    std::string logsFoundBy;   // how the logs folder was found, as the report says it
    std::vector<std::filesystem::path> strayCopies;  // Varnel.dll where the game never looks
};

// Where the game gets `name` (Varnel.dll or a list); only with a plugin folder.
const PlacedFile& PlacedFileOf(const Installation& installation, const char* name);

// `path` is a folder (false when it cannot be asked).
bool IsFolder(const std::filesystem::path& path);

// True when `argument` names an installation rather than name lists: a
// folder holding Starfield.exe or ModOrganizer.ini, a folder ending in
// Data\SFSE\Plugins, or a file named sfse.txt or Varnel.log.
bool NamesInstallation(const std::filesystem::path& argument);

// The installation `argument` belongs to; `logs` (--logs FOLDER) overrides
// the logs folder's lookup.
Installation FindInstallation(const std::filesystem::path& argument, const std::optional<std::filesystem::path>& logs);

// The local path of a Windows path written in a log: itself on Windows; on
// Linux a Z: path (Wine's view of /) or, for a log in a Wine prefix, a C:
// path within its drive_c. Nullopt when it has no local path.
std::optional<std::filesystem::path> LocalPathOf(const std::string& windowsPath, const Installation& installation);

// `a` and `b` are the same existing folder or file.
bool SamePlace(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace varnel
