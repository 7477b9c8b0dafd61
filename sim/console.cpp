#include "sim/console.h"

#include "sim/game_image.h"
#include "sim/printf_text.h"

#include <mutex>

namespace sim {
namespace {

std::mutex consoleMutex;
ConsoleRecord record;

// The console object itself: the game hands its address to the print function.
alignas(16) std::uint8_t consoleObject[64];

}  // namespace

ConsoleRecord ConsoleSeen()
{
    const std::lock_guard lock(consoleMutex);
    return record;
}

void ClearConsole()
{
    const std::lock_guard lock(consoleMutex);
    record = {};
}

void MakeConsole() { Store<const void*>(GameAddress(kConsoleObjectOffset), 0, consoleObject); }

void RemoveConsole() { Store<const void*>(GameAddress(kConsoleObjectOffset), 0, nullptr); }

const void* ConsoleObject() { return consoleObject; }

void PrintOnConsole(void* console, const char* format, va_list arguments)
{
    std::string line = PrintfText(format, arguments);
    const std::lock_guard lock(consoleMutex);
    record.lines.push_back(std::move(line));
    record.formats.emplace_back(format);
    record.consoles.push_back(console);
}

void ExecuteOnConsole(std::uint64_t firstValue, const char* commandLine)
{
    const std::lock_guard lock(consoleMutex);
    record.executed.push_back({firstValue, commandLine});
}

}  // namespace sim
