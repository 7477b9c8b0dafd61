#include "sim/game/command_table.h"

#include "sim/game/game_image.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <stdexcept>

namespace sim {
namespace {

constexpr std::size_t kMaxEntries = 4096;
constexpr std::uint8_t kLongHeaderMark = 28;
constexpr std::uint8_t kUnreadByte = 0xEE;

std::deque<std::string> names;  // stable storage for the names in the table
std::array<std::array<std::uint8_t, 16>, kMaxEntries> parameterDescriptions{};
std::size_t laidEntries = 0;

std::uint8_t PatternByte(std::size_t entry, std::size_t byte)
{
    return static_cast<std::uint8_t>(0x5A + entry * 31 + byte * 7);
}

using ExecuteFunction = bool (*)(const void* parameterInfo, const std::uint8_t* block, void* selected);

}  // namespace

void LayCommandTable(const std::vector<CommandSpec>& commands)
{
    if (commands.size() > kMaxEntries)
        std::abort();
    std::memset(GameAddress(kCommandTableOffset, kMaxEntries * kCommandEntrySize), 0,
                kMaxEntries * kCommandEntrySize);
    names.clear();
    for (std::size_t i = 0; i < commands.size(); ++i) {
        std::uint8_t* entry = CommandEntry(i);
        for (std::size_t byte = 0; byte < kCommandEntrySize; ++byte)
            entry[byte] = PatternByte(i, byte);
        const char* name = nullptr;
        if (commands[i].name)
            name = names.emplace_back(*commands[i].name).c_str();
        Store(entry, kEntryNameAt, name);
        Store(entry, kEntryOpcodeAt, commands[i].opcode);
        Store<const void*>(entry, kEntryParameterDescriptionAt, parameterDescriptions[i].data());
    }
    laidEntries = commands.size();
}

std::vector<CommandSpec> GameCommands()
{
    std::vector<CommandSpec> commands;
    const char* const known[] = {"Show",      "ShowVars",  "CloseFile",     "ToggleCollision", "ShowAnim",
                                 "ToggleAI",  "MoveTo",    "TogglePathLine", "SetAV",          "Kill"};
    std::uint32_t opcode = 0x100;
    for (const char* name : known)
        commands.push_back({name, opcode++});
    commands.push_back({std::nullopt, opcode++});
    commands.push_back({"ModAV", opcode++});
    commands.push_back({"EndOfConsoleCommands", 0x347});
    commands.push_back({"AfterTheEnd", 0x348});
    return commands;
}

EntryBytes CommandEntryBytes(std::size_t index)
{
    EntryBytes bytes{};
    std::memcpy(bytes.data(), CommandEntry(index), kCommandEntrySize);
    return bytes;
}

std::uint8_t* CommandEntry(std::size_t index)
{
    return GameAddress(kCommandTableOffset + index * kCommandEntrySize, kCommandEntrySize);
}

const void* ParameterDescriptionOf(std::size_t index) { return parameterDescriptions.at(index).data(); }

std::optional<std::size_t> FindCommand(const std::string& name)
{
    for (std::size_t i = 0; i < laidEntries; ++i) {
        const char* entryName = Load<const char*>(CommandEntry(i), kEntryNameAt);
        if (entryName != nullptr && name == entryName)
            return i;
    }
    return std::nullopt;
}

bool RunCommand(std::size_t index, const std::vector<std::uint8_t>& block, void* selected)
{
    const std::uint8_t* entry = CommandEntry(index);
    const auto execute = Load<ExecuteFunction>(entry, kEntryExecuteAt);
    return execute(Load<const void*>(entry, kEntryParameterDescriptionAt), block.data(), selected);
}

std::string ParameterBlockProblem(const std::vector<std::string>& arguments)
{
    if (arguments.size() > kMaxBlockArguments)
        return std::to_string(arguments.size()) + " arguments; the game's parameter block holds at most " +
               std::to_string(kMaxBlockArguments);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].size() > kMaxArgumentBytes)
            return "argument " + std::to_string(i + 1) + " is " + std::to_string(arguments[i].size()) +
                   " bytes long; the game's parameter block holds at most " + std::to_string(kMaxArgumentBytes) +
                   " bytes per argument";
    }
    return {};
}

std::vector<std::uint8_t> ComposeParameterBlock(const std::vector<std::string>& arguments, BlockHeader header)
{
    if (const std::string problem = ParameterBlockProblem(arguments); !problem.empty())
        throw std::length_error(problem);
    const bool isLong = header == BlockHeader::Long;
    std::vector<std::uint8_t> block(isLong ? 10 : 6, kUnreadByte);
    block[0] = isLong ? kLongHeaderMark : kLongHeaderMark + 1;
    if (isLong)
        block[4] = 7;  // misleads a reader that looks for the count in the wrong place
    block[isLong ? 8 : 4] = static_cast<std::uint8_t>(arguments.size());
    for (const auto& argument : arguments) {
        block.push_back(static_cast<std::uint8_t>(argument.size()));
        block.push_back(kUnreadByte);
        block.insert(block.end(), argument.begin(), argument.end());
    }
    block.resize(block.size() + 16, kUnreadByte);  // the game's block goes on after the arguments
    return block;
}

}  // namespace sim
