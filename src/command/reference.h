#pragma once

// What SetRandomName does with the selected reference: its FormID as text,
// and reading and setting the name under which the game shows it.

#include "game/game_records.h"

#include <cstdint>
#include <string>

namespace varnel {

// The FormID as exactly 8 upper-case hexadecimal digits; empty for null.
std::string FormIdToText(const GameReference* reference);

// The name the game shows now: the reference's own display name, else its
// default object's name; empty when neither has text or reference is null.
std::string GetDisplayName(const GameReference* reference);

// Asks the game to show `name` for the reference owning `extraDataList`.
// False, with nothing called, when either is null; true otherwise, whether
// or not the game took the name.
bool SetDisplayName(void* extraDataList, const char* name);

}  // namespace varnel
