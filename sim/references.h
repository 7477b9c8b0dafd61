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
    Store,      // the name is shown from now on
    Ignore,     // the name is dropped; the old one stays
    ShowOther,  // the game shows `otherName` instead
    Throw,      // the function throws an exception that is no std::exception
};

struct ExtraList {
    bool hasDisplayNameRecord = false;
    alignas(16) std::array<std::uint8_t, 0x20> displayNameRecord{};  // entry pointer at +0x18
    std::vector<std::uint8_t> entry;  // the game string entry; empty: the record holds null
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

// Gives the reference a display-name record whose string entry holds `text`,
// with the entry's 64-bit value and flags as given.
void SetOwnName(Reference& reference, std::string_view text, std::uint64_t value = 1, std::uint8_t flags = 0);
// A display-name record whose entry pointer is null.
void SetNullNameEntry(Reference& reference);
void DropExtraList(Reference& reference);
void DropDefaultObject(Reference& reference);

// The name the simulated game shows: the own name when its entry holds
// inline text, else the default object's name.
std::string ShownName(const Reference& reference);

// The game's functions, installed at their offsets by StartGame.
const void* LookupExtraDataFunction(void* extraDataList, std::uint8_t type);
const char* ObjectNameFunction(void* object);
void SetDisplayNameFunction(void* extraDataList, const char* name);

}  // namespace sim
