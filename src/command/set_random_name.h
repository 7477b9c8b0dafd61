#pragma once

// The console command SetRandomName female|male: gives the selected
// reference a random name from FemaleNames.txt or MaleNames.txt, checks that
// it took, and hands the reference's FormID to the companion script.

#include <cstdint>

namespace varnel {

// Execute function of the command, as the game calls it. Every failure
// prints its console line (command/messages.h; a missing list two) and gives
// false; nothing is thrown out of it.
bool ExecuteSetRandomName(const void* parameterInfo, const std::uint8_t* compiledBlock,
                          void* selectedReference) noexcept;

}  // namespace varnel
