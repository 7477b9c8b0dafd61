#include "tools/namecheck/windows_console.h"

#include "tools/console/console_text.h"
#include "tools/namecheck/command_line.h"

#include <windows.h>

namespace varnel {

namespace {

void WriteText(DWORD which, const std::string& text)
{
    if (!text.empty())
        WriteUtf8(GetStdHandle(which), text);
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
