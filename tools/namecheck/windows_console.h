#pragma once

// How the checker meets a Windows console: text in UTF-8 shown right in any
// code page, and the window Explorer opened kept until it has been read.

#include <string>

namespace varnel {

// Writes UTF-8 `text` to standard output or standard error: to a console as
// the characters it stands for, to a file or a pipe as the UTF-8 bytes.
void WriteStandardOutput(const std::string& text);
void WriteStandardError(const std::string& text);

// When the program is alone on its console and shows its output there,
// asks for Enter and waits for it (see WaitBeforeClosing).
void HoldWindowIfOwnConsole();

}  // namespace varnel
