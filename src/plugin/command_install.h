#pragma once

#include "game/game_records.h"

namespace varnel {

// Takes over the game's TogglePathLine entry for SetRandomName, with the
// parameter description of CloseFile. Changes nothing unless both are found
// before the first entry whose opcode is 0x347 or more.
void InstallSetRandomName(ConsoleCommandEntry* table);

}  // namespace varnel
