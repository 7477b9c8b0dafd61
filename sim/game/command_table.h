#pragma once

// The game's console command table and the compiled parameter blocks that
// the console hands a command's execute function.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

inline constexpr std::size_t kCommandEntrySize = 88;
// Field offsets of an entry, as the game lays it out.
inline constexpr std::size_t kEntryNameAt = 0x00;
inline constexpr std::size_t kEntrySecondTextAt = 0x08;
inline constexpr std::size_t kEntryOpcodeAt = 0x10;
inline constexpr std::size_t kEntryHelpTextAt = 0x18;
inline constexpr std::size_t kEntryFlagAt = 0x20;
inline constexpr std::size_t kEntryParameterCountAt = 0x22;
inline constexpr std::size_t kEntryParameterDescriptionAt = 0x28;
inline constexpr std::size_t kEntryExecuteAt = 0x30;

struct CommandSpec {
    std::optional<std::string> name;  // nullopt: the entry's name pointer is null
    std::uint32_t opcode;
};

// Lays the table from the first entry on. Every byte that is not the name,
// the opcode or the parameter description is filled with a pattern that
// depends on the entry and the byte, so a stray write shows. Each entry has
// its own parameter description.
void LayCommandTable(const std::vector<CommandSpec>& commands);

// The table as the game's console tends to hold it: game commands with
// opcodes from 0x100, "CloseFile" and "TogglePathLine" among them, ended by
// an entry with opcode 0x347.
std::vector<CommandSpec> GameCommands();

using EntryBytes = std::array<std::uint8_t, kCommandEntrySize>;
EntryBytes CommandEntryBytes(std::size_t index);
std::uint8_t* CommandEntry(std::size_t index);
const void* ParameterDescriptionOf(std::size_t index);
std::optional<std::size_t> FindCommand(const std::string& name);

// Runs entry `index`'s execute function as the console does when the
// command is entered with `block` and the selected reference.
bool RunCommand(std::size_t index, const std::vector<std::uint8_t>& block, void* selected);

// Where a block keeps its argument count.
enum class BlockHeader {
    Short,  // first byte not 28: count at offset 4
    Long,   // first byte 28: count at offset 8
};

// The block keeps its argument count and each argument's length in one byte.
inline constexpr std::size_t kMaxBlockArguments = 255;
inline constexpr std::size_t kMaxArgumentBytes = 255;

// Why `arguments` do not fit a compiled parameter block; empty when they do.
std::string ParameterBlockProblem(const std::vector<std::string>& arguments);

// A compiled parameter block holding `arguments`. Throws std::length_error
// with ParameterBlockProblem's text when they do not fit.
std::vector<std::uint8_t> ComposeParameterBlock(const std::vector<std::string>& arguments,
                                                BlockHeader header = BlockHeader::Short);

}  // namespace sim
