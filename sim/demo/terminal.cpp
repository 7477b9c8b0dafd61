#include "sim/demo/terminal.h"

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

std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
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
        const std::wstring wide = WideFromUtf8(text);
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
