#pragma once

#include <string>
#include <vector>

// Stands in for the game console in tests that run without the simulated
// game: every ConsolePrint and ExecuteConsoleLine is recorded here.
std::vector<std::string>& RecordedConsoleLines();
std::vector<std::string>& RecordedCommandLines();
void ClearConsoleRecord();
