#pragma once

// Simulated references, their default objects and extra data lists, and the
// game functions that work on them (extra data lookup, object name, set
// display name).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// What the set display name function does with a name it is given.
enum class NameSetting {
    Store,          // the name is shown from now on, kept in an inline string entry
    StoreExternal,  // the same, kept in an external entry that points to an inline one
    Ignore,     // the name is dropped; the old one stays
    ShowOther,  // the game shows `otherName` instead
    Throw,      // the function throws an exception that is no std::exception
};

struct ExtraList {
    bool hasDisplayNameRecord = false;
    alignas(16) std::array<std::uint8_t, 0x20> displayNameRecord{};  // entry pointer at +0x18
    // The string pool's entries of the name: the record points to the first,
    // each external one to the next. Empty: the record holds null.
    std::vector<std::vector<std::uint8_t>> entries;
    NameSetting setting = NameSetting::Store;
    std::string otherName;
    std::vector<std::string> namesSet;  // every name the set function was given
};

struct Object {
    std::optional<std::string> name;  // nullopt: the object name function gives null
};

// Owns the reference record and everything it points to; never moves.
struct Reference {
    alignas(16) std::array<std::uint8_t, 0x100> record{};
    Object defaultObject;
    ExtraList extraList;
};

// A reference with FormID `formId`, type code `typeCode`, an extra data list
// without a display name, and a default object called `defaultName`.
std::unique_ptr<Reference> MakeReference(std::uint32_t formId, std::uint8_t typeCode = 75,
                                         std::string defaultName = "Settler");

// The pointer the game hands the console command.
void* Selected(Reference& reference);

// Gives the reference a display-name record whose inline string entry holds
// `text`, with the entry's length field (by default the text's length) and
// flags as given.
void SetOwnName(Reference& reference, std::string_view text, std::optional<std::uint64_t> length = std::nullopt,
                std::uint8_t flags = 0);
// The same text reached through `externalSteps` external entries, each with
// `flags` (the external bit is added) and with other text in its own bytes
// after the header, where an inline entry keeps its text.
void SetExternalOwnName(Reference& reference, std::string_view text, std::size_t externalSteps,
                        std::uint8_t flags = 0);
// Chains that lead nowhere: the last of `externalSteps` external entries
// points to `end`.
enum class ChainEnd {
    Nothing,  // a null pointer
    Itself,   // the last entry itself
    First,    // the first entry of the chain
};
void SetBrokenExternalName(Reference& reference, std::size_t externalSteps, ChainEnd end);
// A display-name record whose entry pointer is null.
void SetNullNameEntry(Reference& reference);
void DropExtraList(Reference& reference);
void DropDefaultObject(Reference& reference);

// The name the simulated game shows: the own name when its entry, or the
// entry its external chain ends in, holds text; else the default object's name.
std::string ShownName(const Reference& reference);

// The game's functions, installed at their offsets by StartGame.
const void* LookupExtraDataFunction(void* extraDataList, std::uint8_t type);
const char* ObjectNameFunction(void* object);
void SetDisplayNameFunction(void* extraDataList, const char* name);

}  // namespace sim
