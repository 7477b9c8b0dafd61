#include "sim/demo/terminal.h"
#include "tools/console/console_text.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

namespace demo {
void UseBinaryStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
}

bool Write(const std::string& text)
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (varnel::IsConsole(output))
        return varnel::WriteUtf8(output, text);
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

bool InputIsConsole() { return varnel::IsConsole(GetStdHandle(STD_INPUT_HANDLE)); }

}  // namespace demo
