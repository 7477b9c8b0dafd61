#include "src/game/console.h"

#include "src/game/game_addresses.h"

#include <cstdarg>

namespace varnel {

void ConsolePrint(const char* format, ...)
{
    void* console = ConsoleObject();
    if (console == nullptr)
        return;
    va_list arguments;
    va_start(arguments, format);
    ConsolePrintFunctionAddress()(console, format, arguments);
    va_end(arguments);
}

bool ExecuteConsoleLine(const char* commandLine)
{
    const ConsoleLineExecutor executor = CurrentConsoleLineExecutor();
    if (executor.object == nullptr)
        return false;
    executor.function(executor.object, commandLine);
    return true;
}

}  // namespace varnel
