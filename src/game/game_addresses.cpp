#include "game/game_addresses.h"

#include <windows.h>

#include <atomic>

namespace {

// Each address is formed when the table says; a change there must be met here.
constexpr bool Formed(GameAddress address, AddressForming when) { return address.formed == when; }
static_assert(Formed(kGameAddressTable.consoleObjectPointer, AddressForming::AtLoad));
static_assert(Formed(kGameAddressTable.consoleCommandTable, AddressForming::AtLoad));
static_assert(Formed(kGameAddressTable.consolePrint, AddressForming::AtFirstUse));
static_assert(Formed(kGameAddressTable.extraDataLookup, AddressForming::AtFirstUse));
static_assert(Formed(kGameAddressTable.consoleExecutorObjectPointer, AddressForming::AtEachCall));
static_assert(Formed(kGameAddressTable.consoleLineExecutor, AddressForming::AtEachCall));
static_assert(Formed(kGameAddressTable.objectName, AddressForming::AtEachCall));
static_assert(Formed(kGameAddressTable.setDisplayName, AddressForming::AtEachCall));

// The one place an address is formed from a base.
template <typename Pointer>
Pointer AddressIn(std::uintptr_t base, GameAddress address)
{
    return reinterpret_cast<Pointer>(base + address.offset);
}

// Static initialisation, in this order: the image base first, then the two
// data addresses formed from it.
const std::uintptr_t imageBaseAtLoad = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
void** const consoleObjectSlot = AddressIn<void**>(imageBaseAtLoad, kGameAddressTable.consoleObjectPointer);
ConsoleCommandEntry* const consoleCommandTable =
    AddressIn<ConsoleCommandEntry*>(imageBaseAtLoad, kGameAddressTable.consoleCommandTable);

std::uintptr_t gameModule = 0;

using ExtraDataLookupFunction = const void* (*)(void* extraDataList, std::uint8_t type);
using ObjectNameFunction = const char* (*)(void* object);
using SetDisplayNameFunction = void (*)(void* extraDataList, const char* name);

std::atomic<AddressFormingObserver> formingObserver{nullptr};

// An address formed at its first use, once. The system's one-time
// initialisation makes a concurrent first caller wait until the first has
// stored it.
struct FirstUseAddress {
    const char* what;
    GameAddress address;
    INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    std::uintptr_t formed = 0;
};

BOOL CALLBACK FormFirstUseAddress(PINIT_ONCE /*once*/, PVOID slot, PVOID* /*context*/)
{
    auto* firstUse = static_cast<FirstUseAddress*>(slot);
    if (const AddressFormingObserver observer = formingObserver.load())
        observer(firstUse->what);
    firstUse->formed = AddressIn<std::uintptr_t>(imageBaseAtLoad, firstUse->address);
    return TRUE;
}

template <typename Function>
Function AtFirstUse(FirstUseAddress& firstUse)
{
    InitOnceExecuteOnce(&firstUse.once, &FormFirstUseAddress, &firstUse, nullptr);
    return reinterpret_cast<Function>(firstUse.formed);
}

FirstUseAddress consolePrintAddress{"console print", kGameAddressTable.consolePrint};
FirstUseAddress extraDataLookupAddress{"extra data lookup", kGameAddressTable.extraDataLookup};

}  // namespace

std::uintptr_t ImageBaseAtLoad() { return imageBaseAtLoad; }

std::uintptr_t GameModule() { return gameModule; }

void RememberGameModule(std::uintptr_t module) { gameModule = module; }

ConsoleCommandEntry* ConsoleCommandTable() { return consoleCommandTable; }

void* ConsoleObject() { return *consoleObjectSlot; }

ConsolePrintFunction ConsolePrintFunctionAddress() { return AtFirstUse<ConsolePrintFunction>(consolePrintAddress); }

void ObserveAddressForming(AddressFormingObserver observer) { formingObserver = observer; }

ConsoleLineExecutor CurrentConsoleLineExecutor()
{
    void* const* objectSlot = AddressIn<void* const*>(gameModule, kGameAddressTable.consoleExecutorObjectPointer);
    return {AddressIn<ConsoleLineExecutorFunction>(gameModule, kGameAddressTable.consoleLineExecutor), *objectSlot};
}

const void* LookupExtraData(void* extraDataList, std::uint8_t type)
{
    return AtFirstUse<ExtraDataLookupFunction>(extraDataLookupAddress)(extraDataList, type);
}

const char* ObjectName(void* object)
{
    return AddressIn<ObjectNameFunction>(gameModule, kGameAddressTable.objectName)(object);
}

void SetDisplayNameInGame(void* extraDataList, const char* name)
{
    AddressIn<SetDisplayNameFunction>(gameModule, kGameAddressTable.setDisplayName)(extraDataList, name);
}

std::uint8_t ReferenceTypeCode(const GameReference* reference)
{
    return reference->vtable->typeCode(reference);
}
