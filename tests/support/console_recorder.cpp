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
    va_list measuring;
    va_list writing;
    va_start(measuring, format);
    va_start(writing, format);
    RecordedConsoleLines().push_back(sim::PrintfText(format, measuring, writing));
    va_end(writing);
    va_end(measuring);
}
