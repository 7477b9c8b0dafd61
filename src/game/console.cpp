#include "game/console.h"

#include "game/game_addresses.h"

#include <cstdarg>

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

void ExecuteConsoleLine(const char* commandLine)
{
    ConsoleLineExecutorAddress()(kConsoleLineExecutorFirstValue, commandLine);
}
