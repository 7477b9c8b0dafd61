#pragma once

// Where the plugin finds its name lists: their folder, relative to the game's
// working directory, and their file names. The command, the checker and the
// demo take them from here.

#include <string_view>

namespace varnel {

inline constexpr std::string_view PluginFolder = ".\\Data\\SFSE\\Plugins\\";
inline constexpr const char* kFemaleNamesFile = "FemaleNames.txt";
inline constexpr const char* kMaleNamesFile = "MaleNames.txt";

}  // namespace varnel
