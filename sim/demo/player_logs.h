#pragma once

// The logs as a player opens them after playing (in the Logs folder of
// Documents\My Games\Starfield\SFSE), shown under their Windows paths, each
// said to be this start's or one an earlier start left.

#include <filesystem>

namespace demo {

// Shows sfse.txt and the plugin's own Varnel.log as the disk holds them now;
// one last written before the Starfield.exe of `gameFolder` (made for this
// start) is an earlier start's.
void ShowPlayerLogs(const std::filesystem::path& gameFolder);

}  // namespace demo
