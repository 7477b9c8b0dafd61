#pragma once

// The demo's standard output and input as a terminal program's: UTF-8
// whatever the console's code page, lines ended by LF alone.

#include <string>

namespace demo {

// Puts standard input and output in binary mode, so that no CR is added to
// or kept from a line.
void UseBinaryStandardStreams();

// Writes UTF-8 `text`: to a console as wide text (so every script shows
// right in any code page), anywhere else as its own bytes. False when the
// output is gone.
bool Write(const std::string& text);

// One line of the demo's output.
void Say(const std::string& text);

// Reads one line of standard input, without its line end; false at the
// end of input.
bool ReadLine(std::string& line);

// True when standard input is a console, which shows what is typed.
bool InputIsConsole();

}  // namespace demo
