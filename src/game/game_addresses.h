#pragma once

// Where the game's data and functions are in this process, and the raw calls
// into the game. Every address is an image base plus its kGameAddressTable
// offset, formed when the table says.

#include "src/game/game_records.h"

#include <cstdarg>
#include <cstdint>

namespace varnel {

// Keeps the main module as SFSEPlugin_Load took it with GetModuleHandleW: the
// base of the addresses formed at each call.
void RememberGameModule(std::uintptr_t module);

// The game's console command table (formed when the library loaded).
ConsoleCommandEntry* ConsoleCommandTable();

// The console object, read anew at each call; null until the game made it.
void* ConsoleObject();

// Raw game operations.
const void* LookupExtraData(void* extraDataList, std::uint8_t type);
const char* ObjectName(void* object);
void SetDisplayNameInGame(void* extraDataList, const char* name);
std::uint8_t ReferenceTypeCode(const GameReference* reference);

using ConsolePrintFunction = void (*)(void* console, const char* format, va_list arguments);
using ConsoleLineExecutorFunction = void (*)(void* executorObject, const char* commandLine);

// The executor's function and the object it works on, both formed from the
// remembered game module at the moment of the call.
struct ConsoleLineExecutor {
    ConsoleLineExecutorFunction function;
    void* object;  // read from the game's global; null until the game made it
};

// Formed at first use, once, safely against concurrent first callers.
ConsolePrintFunction ConsolePrintFunctionAddress();

// Called, on the forming thread, each time an address formed at first use
// is formed: a seam through which tests watch that it happens once.
using AddressFormingObserver = void (*)(const char* address);
void ObserveAddressForming(AddressFormingObserver observer);
// Formed at each call from the remembered game module.
ConsoleLineExecutor CurrentConsoleLineExecutor();

}  // namespace varnel
