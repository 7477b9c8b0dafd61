#include "game/game_addresses.h"

#include <windows.h>

#include <atomic>

namespace {

// Static initialisation, in this order: the image base first, then the two
// data addresses formed from it.
const std::uintptr_t imageBaseAtLoad = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
void** const consoleObjectSlot =
    reinterpret_cast<void**>(imageBaseAtLoad + kGameAddressTable.consoleObjectPointer);
ConsoleCommandEntry* const consoleCommandTable =
    reinterpret_cast<ConsoleCommandEntry*>(imageBaseAtLoad + kGameAddressTable.consoleCommandTable);

std::uintptr_t gameModule = 0;

using ExtraDataLookupFunction = const void* (*)(void* extraDataList, std::uint8_t type);
using ObjectNameFunction = const char* (*)(void* object);
using SetDisplayNameFunction = void (*)(void* extraDataList, const char* name);

template <typename Function>
Function GameFunctionAt(std::uintptr_t base, std::uintptr_t offset)
{
    return reinterpret_cast<Function>(base + offset);
}

std::atomic<AddressFormingObserver> formingObserver{nullptr};

template <typename Function>
Function FormAtFirstUse(const char* what, std::uintptr_t offset)
{
    if (const AddressFormingObserver observer = formingObserver.load())
        observer(what);
    return GameFunctionAt<Function>(imageBaseAtLoad, offset);
}

ExtraDataLookupFunction ExtraDataLookupAddress()
{
    // A function-local static: formed once, concurrent first callers wait.
    static const auto address =
        FormAtFirstUse<ExtraDataLookupFunction>("extra data lookup", kGameAddressTable.extraDataLookup);
    return address;
}

}  // namespace

std::uintptr_t ImageBaseAtLoad() { return imageBaseAtLoad; }

std::uintptr_t GameModule() { return gameModule; }

void RememberGameModule(std::uintptr_t module) { gameModule = module; }

ConsoleCommandEntry* ConsoleCommandTable() { return consoleCommandTable; }

void* ConsoleObject() { return *consoleObjectSlot; }

ConsolePrintFunction ConsolePrintFunctionAddress()
{
    static const auto address = FormAtFirstUse<ConsolePrintFunction>("console print", kGameAddressTable.consolePrint);
    return address;
}

void ObserveAddressForming(AddressFormingObserver observer) { formingObserver = observer; }

ConsoleLineExecutor CurrentConsoleLineExecutor()
{
    const std::uintptr_t base = gameModule;
    void* const* objectSlot = reinterpret_cast<void* const*>(base + kGameAddressTable.consoleExecutorObjectPointer);
    return {GameFunctionAt<ConsoleLineExecutorFunction>(base, kGameAddressTable.consoleLineExecutor), *objectSlot};
}

const void* LookupExtraData(void* extraDataList, std::uint8_t type)
{
    return ExtraDataLookupAddress()(extraDataList, type);
}

const char* ObjectName(void* object)
{
    return GameFunctionAt<ObjectNameFunction>(gameModule, kGameAddressTable.objectName)(object);
}

void SetDisplayNameInGame(void* extraDataList, const char* name)
{
    GameFunctionAt<SetDisplayNameFunction>(gameModule, kGameAddressTable.setDisplayName)(extraDataList, name);
}

std::uint8_t ReferenceTypeCode(const GameReference* reference)
{
    return reference->vtable->typeCode(reference);
}
