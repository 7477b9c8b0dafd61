#pragma once

// UTF-8 text on a Windows standard handle, as the checker and the demo write
// it: to a console as the characters it stands for, whatever its code page;
// to a file or a pipe as its own bytes.

#include <windows.h>

#include <string_view>

namespace varnel {

// True when `handle` is a console (not a file, a pipe or nothing).
bool IsConsole(HANDLE handle);

// Writes `text` to `handle` as above; false when nothing could be written.
bool WriteUtf8(HANDLE handle, std::string_view text);

}  // namespace varnel
