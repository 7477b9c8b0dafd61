#include "windows_console.h"

#include "command_line.h"
#include "text/utf8.h"

#include <windows.h>

namespace varnel {

namespace {

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void WriteText(DWORD which, const std::string& text)
{
    HANDLE handle = GetStdHandle(which);
    if (text.empty() || handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    if (!IsConsole(handle)) {
        DWORD written = 0;
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::wstring wide = Utf8ToWide(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace

void WriteStandardOutput(const std::string& text) { WriteText(STD_OUTPUT_HANDLE, text); }

void WriteStandardError(const std::string& text) { WriteText(STD_ERROR_HANDLE, text); }

void HoldWindowIfOwnConsole()
{
    DWORD processes[2] = {};
    const DWORD onConsole = GetConsoleProcessList(processes, 2);
    if (!WaitBeforeClosing(onConsole, IsConsole(GetStdHandle(STD_OUTPUT_HANDLE))))
        return;
    WriteStandardOutput(std::string("\n") + kPressEnterToClose + "\n");
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    wchar_t typed[64];
    DWORD read = 0;
    if (IsConsole(input))
        ReadConsoleW(input, typed, 64, &read, nullptr);
}

}  // namespace varnel
