#include "support/console_recorder.h"

#include "game/console.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>

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
    // Two passes, each over the arguments anew: measure, then write.
    va_list measuring;
    va_start(measuring, format);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string line(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    va_list writing;
    va_start(writing, format);
    std::vsnprintf(line.data(), line.size() + 1, format, writing);
    va_end(writing);
    RecordedConsoleLines().push_back(std::move(line));
}
