#pragma once

// The checker's command line, apart from how the arguments arrive (wide on
// Windows, so that any folder name works).

#include <filesystem>
#include <ostream>
#include <vector>

namespace varnel {

// Exit status. Given lists: 0 every list is good; 1 a list will make some
// commands fail or show wrong names; 2 usage or I/O error. Given an
// installation (its game folder, Data\SFSE\Plugins, sfse.txt or
// Varnel.log): the verdict's (ExitStatusOf in doctor.h): 0 nothing stands in
// the way of SetRandomName, 1 something does, 2 a file that would settle it
// could not be read; 2 for a usage error too.
int RunNameCheck(const std::vector<std::filesystem::path>& arguments, std::ostream& out, std::ostream& err);

// Started from Explorer (by a drop or a double-click) the program is alone on
// a console window of its own, which closes when it ends: it waits for Enter
// then. From a command prompt (another process on the console), or with its
// output redirected, it never waits.
bool WaitBeforeClosing(unsigned processesOnConsole, bool outputToConsole);

inline constexpr const char* kPressEnterToClose = "Press Enter to close this window.";

}  // namespace varnel
