#include "support/console_recorder.h"

#include "game/console.h"

#include <cstdarg>
#include <cstdio>

std::vector<std::string>& RecordedConsoleLines()
{
    static std::vector<std::string> lines;
    return lines;
}

std::vector<std::string>& RecordedCommandLines()
{
    static std::vector<std::string> lines;
    return lines;
}

void ClearConsoleRecord()
{
    RecordedConsoleLines().clear();
    RecordedCommandLines().clear();
}

void ConsolePrint(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string line(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::vsnprintf(line.data(), line.size() + 1, format, arguments);
    va_end(arguments);
    RecordedConsoleLines().push_back(line);
}

void ExecuteConsoleLine(const char* commandLine)
{
    RecordedCommandLines().emplace_back(commandLine);
}
