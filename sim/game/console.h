#pragma once

// The simulated game console: records what is printed on it and which
// command lines it is asked to run.

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct ExecutedLine {
    std::string executor;  // name of the executor object the line ran on
    std::string line;
};

struct ConsoleRecord {
    std::vector<std::string> lines;         // each print, formatted as printf does
    std::vector<std::string> formats;       // each print's raw format text
    std::vector<const void*> consoles;      // the console object each print was given
    std::vector<ExecutedLine> executed;     // command lines run through the executor
    std::vector<std::string> gameCalls;     // every game function called, in order
};

// Notes a call of one of the game's functions in ConsoleRecord::gameCalls.
void NoteGameCall(const char* function);

// A copy of what the console has seen so far (safe while other threads print).
ConsoleRecord ConsoleSeen();
void ClearConsole();

// The game makes its console / has not made it yet.
void MakeConsole();
void RemoveConsole();
const void* ConsoleObject();

// The objects the console line executor works on: the game keeps a pointer
// to one in its global at kConsoleExecutorObjectOffset. The simulation has
// two, so a test can see which one a line ran on.
enum class Executor { Game, Other };
const void* ExecutorObject(Executor which);
// Points the game's global at an executor object, or at nothing (null).
void UseExecutorObject(const void* object);

// Calls the real game would have crashed on, kept until ForgetFaults (which
// StartGame calls), so ClearConsole between two commands does not hide them.
std::vector<std::string> Faults();
void ForgetFaults();
// Notes one: what the game was made to do that would have ended it.
void RecordFault(const std::string& what);

// The game's functions, installed at their offsets by StartGame.
void PrintOnConsole(void* console, const char* format, va_list arguments);
void ExecuteOnConsole(const void* executor, const char* commandLine);

}  // namespace sim
