#include "sim/demo/terminal.h"
#include "src/text/utf8.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

namespace demo {
namespace {

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

void UseBinaryStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
}

bool Write(const std::string& text)
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (IsConsole(output)) {
        const std::wstring wide = varnel::Utf8ToWide(text);
        DWORD written = 0;
        return WriteConsoleW(output, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    }
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

void Say(const std::string& text) { Write(text + "\n"); }

bool ReadLine(std::string& line)
{
    if (!std::getline(std::cin, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool InputIsConsole() { return IsConsole(GetStdHandle(STD_INPUT_HANDLE)); }

}  // namespace demo
