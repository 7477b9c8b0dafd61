#pragma once

namespace varnel {

// The game console as the rest of the plugin sees it, on top of the game's
// own functions (console.cpp). Only the command prints; tests see its lines
// in the simulated game's console.

// Prints one printf-style formatted line on the game console. Prints nothing
// while the game has not made its console yet.
void ConsolePrint(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Runs a text line as if it had been typed into the console, on the object
// the game keeps for that. False, with nothing run, while the game has not
// made that object yet.
bool ExecuteConsoleLine(const char* commandLine);

}  // namespace varnel
