#pragma once

// The simulated game console: records what is printed on it and which
// command lines it is asked to run.

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct ExecutedLine {
    std::uint64_t firstValue;  // as the executor was given it
    std::string line;
};

struct ConsoleRecord {
    std::vector<std::string> lines;         // each print, formatted as printf does
    std::vector<std::string> formats;       // each print's raw format text
    std::vector<const void*> consoles;      // the console object each print was given
    std::vector<ExecutedLine> executed;     // command lines run through the executor
};

// A copy of what the console has seen so far (safe while other threads print).
ConsoleRecord ConsoleSeen();
void ClearConsole();

// The game makes its console / has not made it yet.
void MakeConsole();
void RemoveConsole();
const void* ConsoleObject();

// The game's functions, installed at their offsets by StartGame.
void PrintOnConsole(void* console, const char* format, va_list arguments);
void ExecuteOnConsole(std::uint64_t firstValue, const char* commandLine);

}  // namespace sim
