#pragma once

// The plugin's own log, Varnel.log, in the folder where the script extender
// keeps sfse.txt (Documents\My Games\Starfield\SFSE\Logs): what players and
// support threads read when the console says "Please see the log for
// details.". Written by plugin/log_file_win32.cpp.
//
// The log never harms the game: when it cannot be had (no Documents folder,
// a file in the way, no right to write, a full disk) nothing is written and
// nothing else changes; no call here fails, throws or blocks on a lock.

#include <string_view>

namespace varnel {

// Opens the log for this game start, emptied, making its folders as needed.
// Until it has been opened, Log writes nothing.
void OpenLog() noexcept;

// Writes one line, stamped with the local time, in one write: lines of two
// threads never mix, and each is in the file as soon as Log returns.
void Log(std::string_view text) noexcept;

}  // namespace varnel
