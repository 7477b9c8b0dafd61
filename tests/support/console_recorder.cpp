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
    // Two passes, each over the arguments anew: measure, then write. (The
    // analyser's va_list check takes these lists for unstarted when it runs
    // over several files in one call; both are started right above.)
    va_list measuring;
    va_start(measuring, format);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(measuring);
    std::string line(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    va_list writing;
    va_start(writing, format);
    std::vsnprintf(line.data(), line.size() + 1, format, writing);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(writing);
    RecordedConsoleLines().push_back(std::move(line));
}
