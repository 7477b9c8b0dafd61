#pragma once

#include <string>
#include <vector>

// Stands in for the game console in tests that run without the simulated
// game: every ConsolePrint is recorded here.
std::vector<std::string>& RecordedConsoleLines();
void ClearConsoleRecord();
