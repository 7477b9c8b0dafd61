#include "src/game/game_addresses.h"

#include <windows.h>

#include <atomic>

namespace varnel {

namespace {

using AddressEntry = GameAddress GameAddressTable::*;

// Static initialisation: the image base the addresses formed at load and at
// first use come from.
const std::uintptr_t imageBaseAtLoad = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));

std::uintptr_t gameModule = 0;

std::atomic<AddressFormingObserver> formingObserver{nullptr};

// An address formed at load: by static initialisation, before the host
// calls anything.
template <AddressEntry entry>
struct FormedAtLoad {
    static inline const std::uintptr_t address =
        reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)) + (kGameAddressTable.*entry).offset;
};

// An address formed at its first use, once. The system's one-time
// initialisation makes a concurrent first caller wait until the first has
// stored it.
struct FirstUse {
    INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    const GameAddress* entry = nullptr;
    std::uintptr_t address = 0;
};

BOOL CALLBACK FormFirstUse(PINIT_ONCE /*once*/, PVOID slot, PVOID* /*context*/)
{
    auto* firstUse = static_cast<FirstUse*>(slot);
    if (const AddressFormingObserver observer = formingObserver.load())
        observer(firstUse->entry->name);
    firstUse->address = imageBaseAtLoad + firstUse->entry->offset;
    return TRUE;
}

// The address of `entry`, formed when the table says: the one place an
// address is formed.
template <typename Pointer, AddressEntry entry>
Pointer Address()
{
    constexpr const GameAddress& address = kGameAddressTable.*entry;
    if constexpr (address.formed == AddressForming::AtLoad) {
        return reinterpret_cast<Pointer>(FormedAtLoad<entry>::address);
    } else if constexpr (address.formed == AddressForming::AtFirstUse) {
        // Constant-initialised: nothing runs before the first use.
        static constinit FirstUse firstUse{INIT_ONCE_STATIC_INIT, &address, 0};
        InitOnceExecuteOnce(&firstUse.once, &FormFirstUse, &firstUse, nullptr);
        return reinterpret_cast<Pointer>(firstUse.address);
    } else {
        return reinterpret_cast<Pointer>(gameModule + address.offset);
    }
}

using ExtraDataLookupFunction = const void* (*)(void* extraDataList, std::uint8_t type);
using ObjectNameFunction = const char* (*)(void* object);
using SetDisplayNameFunction = void (*)(void* extraDataList, const char* name);

}  // namespace

void RememberGameModule(std::uintptr_t module) { gameModule = module; }

ConsoleCommandEntry* ConsoleCommandTable()
{
    return Address<ConsoleCommandEntry*, &GameAddressTable::consoleCommandTable>();
}

void* ConsoleObject() { return *Address<void**, &GameAddressTable::consoleObjectPointer>(); }

ConsolePrintFunction ConsolePrintFunctionAddress()
{
    return Address<ConsolePrintFunction, &GameAddressTable::consolePrint>();
}

void ObserveAddressForming(AddressFormingObserver observer) { formingObserver = observer; }

ConsoleLineExecutor CurrentConsoleLineExecutor()
{
    return {Address<ConsoleLineExecutorFunction, &GameAddressTable::consoleLineExecutor>(),
            *Address<void* const*, &GameAddressTable::consoleExecutorObjectPointer>()};
}

const void* LookupExtraData(void* extraDataList, std::uint8_t type)
{
    return Address<ExtraDataLookupFunction, &GameAddressTable::extraDataLookup>()(extraDataList, type);
}

const char* ObjectName(void* object)
{
    return Address<ObjectNameFunction, &GameAddressTable::objectName>()(object);
}

void SetDisplayNameInGame(void* extraDataList, const char* name)
{
    Address<SetDisplayNameFunction, &GameAddressTable::setDisplayName>()(extraDataList, name);
}

std::uint8_t ReferenceTypeCode(const GameReference* reference)
{
    return reference->vtable->typeCode(reference);
}

}  // namespace varnel
