#include "support/console_recorder.h"

#include "game/console.h"
#include "sim/printf_text.h"

#include <cstdarg>

std::vector<std::string>& RecordedConsoleLines()
{
    static std::vector<std::string> lines;
    return lines;
}

void ClearConsoleRecord()
{
    RecordedConsoleLines().clear();
}

void ConsolePrint(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    RecordedConsoleLines().push_back(sim::PrintfText(format, arguments));
    va_end(arguments);
}
