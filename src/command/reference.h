#pragma once

// What SetRandomName does with the selected reference: its FormID as text,
// and reading and setting the name under which the game shows it.

#include "src/game/game_records.h"

#include <cstdint>
#include <string>

namespace varnel {

// The FormID as exactly 8 upper-case hexadecimal digits; empty for null.
std::string FormIdToText(const GameReference* reference);

// The name the game shows now: the reference's own display name, else its
// default object's name; empty when neither has text or reference is null.
std::string GetDisplayName(const GameReference* reference);

// Where reading a display name went, step by step: what the plugin's log
// tells when the name read back is empty.
struct DisplayNameTrace {
    bool displayNameRecord = false;  // the extra data list holds a display-name record
    bool stringEntry = false;        // the record points to a string entry
    int externalSteps = 0;           // external entries followed from it
    bool inlineEntry = false;        // those steps ended at an inline entry
    bool ownText = false;            // that entry holds a non-zero value: the reference's own name
    bool defaultObject = false;      // the reference has a default object
    bool defaultObjectNamed = false; // the default object's name is not empty
};

// GetDisplayName, telling in `trace` where it went.
std::string GetDisplayName(const GameReference* reference, DisplayNameTrace& trace);

// Asks the game to show `name` for the reference owning `extraDataList`.
// False, with nothing called, when either is null; true otherwise, whether
// or not the game took the name.
bool SetDisplayName(void* extraDataList, const char* name);

}  // namespace varnel
