#pragma once

#include "src/game/game_records.h"

#include <cstddef>
#include <cstdint>

namespace varnel {

// What taking over the command found, for the plugin's log.
struct Installation {
    bool installed = false;
    const char* missing = nullptr;  // the name not found: "CloseFile" or "TogglePathLine"
    std::size_t entriesSearched = 0;  // entries the failed walk passed before the table's end
    std::size_t index = 0;          // the rewritten entry, counted from the table's first
    std::uint32_t opcode = 0;       // its opcode, which it keeps
};

// Takes over the game's TogglePathLine entry for SetRandomName, with the
// parameter description of CloseFile. Changes nothing unless both are found
// before the first entry whose opcode is 0x347 or more.
Installation InstallSetRandomName(ConsoleCommandEntry* table);

}  // namespace varnel
