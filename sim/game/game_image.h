#pragma once

// The simulated game's memory. This program's own image holds a large array
// that covers every game offset of the runtime it simulates, so that image
// base + offset is a real address here, as it is in the game. The runtime
// and the offsets are the simulation's own copy, written here once: a plugin
// that reads the wrong place reads something else and its tests fail.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sim {

// The game runtime simulated here: 1.15.216.
inline constexpr std::uint32_t kRuntimeMajor = 1;
inline constexpr std::uint32_t kRuntimeMinor = 15;
inline constexpr std::uint32_t kRuntimeBuild = 216;

// That runtime's offsets.
inline constexpr std::uintptr_t kConsoleObjectOffset = 0x60BBF80;
inline constexpr std::uintptr_t kCommandTableOffset = 0x5D8FB30;
inline constexpr std::uintptr_t kConsoleExecutorObjectOffset = 0x619CDD0;
inline constexpr std::uintptr_t kConsolePrintOffset = 0x1E341C0;
inline constexpr std::uintptr_t kConsoleExecutorOffset = 0x1E2B680;
inline constexpr std::uintptr_t kExtraDataLookupOffset = 0x33F370;
inline constexpr std::uintptr_t kObjectNameOffset = 0x5D8360;
inline constexpr std::uintptr_t kSetDisplayNameOffset = 0x511970;

// The main module's image base.
std::uintptr_t ImageBase();

// Image base + offset; aborts the program if the image does not cover it.
std::uint8_t* GameAddress(std::uintptr_t offset, std::size_t size = 8);

// Lays out the game: function stubs at their offsets, no console, no
// executor object, an empty command table. Safe to call again to start over.
void StartGame();

// The game's data handler object, which the host hands to plugins once the
// game's data has loaded.
void* DataHandler();

// Reads and writes a value of a record at a byte offset.
template <typename T>
T Load(const void* record, std::size_t offset)
{
    T value;
    // NOLINTNEXTLINE(bugprone-sizeof-expression): the bytes of the value itself, which may be a pointer
    std::memcpy(&value, static_cast<const std::uint8_t*>(record) + offset, sizeof(T));
    return value;
}

template <typename T>
void Store(void* record, std::size_t offset, T value)
{
    // NOLINTNEXTLINE(bugprone-sizeof-expression): the bytes of the value itself, which may be a pointer
    std::memcpy(static_cast<std::uint8_t*>(record) + offset, &value, sizeof(T));
}

}  // namespace sim
