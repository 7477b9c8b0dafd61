#pragma once

// The game's addresses and records, laid out as the runtime the plugin is
// built for has them (VARNEL_GAME_RUNTIME in CMakeLists.txt; the host's
// records are in plugin/host_api.h). Only the fields the plugin uses are named; the
// rest is padding that keeps every named field at its offset.

#include <cstddef>
#include <cstdint>

namespace varnel {

// When the plugin forms an address from the game's image base.
enum class AddressForming {
    AtLoad,      // by static initialisation, from GetModuleHandleA, before the host calls anything
    AtFirstUse,  // once, at its first use, from the same base; concurrent first users wait
    AtEachCall,  // anew at each call, from the module SFSEPlugin_Load took with GetModuleHandleW
};

struct GameAddress {
    std::uintptr_t offset;  // from the game's image base
    AddressForming formed;
    const char* name;       // what it is, for those who watch the forming
};

// Every place in the game the plugin reaches, by name. game/game_addresses.cpp
// forms each as its entry says: adding an address is adding its line here.
struct GameAddressTable {
    GameAddress consoleObjectPointer;          // data: pointer to the console object, null until made
    GameAddress consoleCommandTable;           // data: first ConsoleCommandEntry
    GameAddress consoleExecutorObjectPointer;  // data: pointer to the object the executor works on, null until made
    GameAddress consolePrint;                  // function (console, format, va_list)
    GameAddress consoleLineExecutor;           // function (object held at consoleExecutorObjectPointer, command line)
    GameAddress extraDataLookup;               // function (extra data list, 8-bit type) -> record or null
    GameAddress objectName;                    // function (object) -> text or null
    GameAddress setDisplayName;                // function (extra data list, name)
};

inline constexpr GameAddressTable kGameAddressTable{
    .consoleObjectPointer = {0x60BBF80, AddressForming::AtLoad, "console object pointer"},
    .consoleCommandTable = {0x5D8FB30, AddressForming::AtLoad, "console command table"},
    .consoleExecutorObjectPointer = {0x619CDD0, AddressForming::AtEachCall, "executor object pointer"},
    .consolePrint = {0x1E341C0, AddressForming::AtFirstUse, "console print"},
    .consoleLineExecutor = {0x1E2B680, AddressForming::AtEachCall, "console line executor"},
    .extraDataLookup = {0x33F370, AddressForming::AtFirstUse, "extra data lookup"},
    .objectName = {0x5D8360, AddressForming::AtEachCall, "object name"},
    .setDisplayName = {0x511970, AddressForming::AtEachCall, "set display name"},
};

// Execute function of a console command. The game passes further arguments;
// the plugin reads only the compiled parameter block and the selected
// reference (null when nothing is selected).
using ConsoleExecuteFunction = bool (*)(const void* parameterInfo, const std::uint8_t* compiledBlock,
                                        void* selectedReference);

// One record of the game's console command table (stride 88).
struct ConsoleCommandEntry {
    const char* name;                    // 0x00 the command's name as typed, NUL-terminated; may be null
    const char* shortName;               // 0x08 its short form (the plugin stores its credit here)
    std::uint32_t opcode;                // 0x10 the table ends, for us, at an opcode >= 0x347
    std::uint8_t unknown14[4];           // 0x14
    const char* helpText;                // 0x18 shown by the console's help
    std::uint8_t flag;                   // 0x20 8-bit flag; the taken-over command has 1
    std::uint8_t unknown21;              // 0x21
    std::uint16_t parameterCount;        // 0x22 number of arguments the command takes
    std::uint8_t unknown24[4];           // 0x24
    const void* parameters;              // 0x28 the game's description of those arguments
    ConsoleExecuteFunction execute;      // 0x30 run when the command is entered
    std::uint8_t gameFields[0x20];       // 0x38 to 0x57, never touched
};
static_assert(sizeof(ConsoleCommandEntry) == 88);
static_assert(offsetof(ConsoleCommandEntry, name) == 0x00);
static_assert(offsetof(ConsoleCommandEntry, shortName) == 0x08);
static_assert(offsetof(ConsoleCommandEntry, opcode) == 0x10);
static_assert(offsetof(ConsoleCommandEntry, helpText) == 0x18);
static_assert(offsetof(ConsoleCommandEntry, flag) == 0x20);
static_assert(offsetof(ConsoleCommandEntry, parameterCount) == 0x22);
static_assert(offsetof(ConsoleCommandEntry, parameters) == 0x28);
static_assert(offsetof(ConsoleCommandEntry, execute) == 0x30);

inline constexpr std::uint32_t kConsoleCommandTableEnd = 0x347;

struct GameReference;

// Virtual table of a reference; slot 34 answers the reference's type code.
using ReferenceTypeCodeFunction = std::uint8_t (*)(const GameReference* reference);
struct GameReferenceVtable {
    const void* slots0To33[34];          // 0x000
    ReferenceTypeCodeFunction typeCode;  // 0x110 slot 34
};
static_assert(offsetof(GameReferenceVtable, typeCode) == 0x110);

// The only reference type code SetRandomName accepts ('K').
inline constexpr std::uint8_t kAcceptedReferenceType = 75;

// A reference placed in the world; owned by the game.
struct GameReference {
    const GameReferenceVtable* vtable;   // 0x00
    std::uint8_t unknown08[0x20];        // 0x08
    std::uint32_t formId;                // 0x28
    std::uint8_t unknown2C[0x6C];        // 0x2C
    void* defaultObject;                 // 0x98 its name serves when the reference has none
    std::uint8_t unknownA0[0x28];        // 0xA0
    void* extraDataList;                 // 0xC8 null when the reference has none
};
static_assert(offsetof(GameReference, vtable) == 0x00);
static_assert(offsetof(GameReference, formId) == 0x28);
static_assert(offsetof(GameReference, defaultObject) == 0x98);
static_assert(offsetof(GameReference, extraDataList) == 0xC8);

// An entry of the game's string pool. An inline entry holds its text right
// after this header; an external entry holds none of its own but points to
// the entry that does, which may itself be external.
struct GameStringEntry {
    const void* poolLink;                // 0x00 the pool's own link, not read
    std::uint64_t lengthOrTarget;        // 0x08 inline: the text's length in bytes (0: empty text);
                                         //      external: address of the GameStringEntry it stands for
    std::uint32_t referenceCount;        // 0x10 not read
    std::uint8_t flags;                  // 0x14 kStringEntryExternal marks an external entry
    std::uint8_t unknown15[3];           // 0x15
};                                       // 0x18 an inline entry's text, NUL-terminated
static_assert(offsetof(GameStringEntry, poolLink) == 0x00);
static_assert(offsetof(GameStringEntry, lengthOrTarget) == 0x08);
static_assert(offsetof(GameStringEntry, referenceCount) == 0x10);
static_assert(offsetof(GameStringEntry, flags) == 0x14);
static_assert(sizeof(GameStringEntry) == 0x18);

inline constexpr std::uint8_t kStringEntryExternal = 0x02;
// External entries followed before a name counts as unreadable; the game's own
// chains are a step or two long.
inline constexpr int kMaxExternalSteps = 8;

// Extra data record of type 150: the reference's own display name.
struct DisplayNameExtra {
    std::uint8_t unknown00[0x18];        // 0x00
    const GameStringEntry* name;         // 0x18 may be null
};
static_assert(offsetof(DisplayNameExtra, name) == 0x18);

inline constexpr std::uint8_t kDisplayNameExtraType = 150;

}  // namespace varnel
