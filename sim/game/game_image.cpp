#include "sim/game/game_image.h"

#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/game/references.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace sim {
namespace {

constexpr std::size_t kImageSize = 0x6200000;
constexpr std::size_t kStubSize = 12;

// Zero-filled at start, in the image's .bss.
alignas(4096) std::uint8_t gameImage[kImageSize];

// mov rax, imm64; jmp rax
void InstallFunction(std::uintptr_t offset, const void* target)
{
    std::uint8_t* at = GameAddress(offset, kStubSize);
    DWORD previous = 0;
    if (VirtualProtect(at, kStubSize, PAGE_EXECUTE_READWRITE, &previous) == 0) {
        std::fprintf(stderr, "simulated game: cannot make offset 0x%llx executable\n",
                     static_cast<unsigned long long>(offset));
        std::abort();
    }
    const std::uint8_t code[kStubSize] = {0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xE0};
    std::memcpy(at, code, kStubSize);
    Store(at, 2, reinterpret_cast<std::uintptr_t>(target));
    FlushInstructionCache(GetCurrentProcess(), at, kStubSize);
}

// A crash in a test ends the process at once with a line saying where,
// instead of waiting on Wine's debugger.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    std::fprintf(stderr, "simulated game: exception 0x%08lx at %p\n",
                 static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
                 exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

std::uintptr_t ImageBase()
{
    return reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr));
}

std::uint8_t* GameAddress(std::uintptr_t offset, std::size_t size)
{
    const std::uintptr_t address = ImageBase() + offset;
    const auto first = reinterpret_cast<std::uintptr_t>(gameImage);
    if (address < first || address + size > first + kImageSize) {
        std::fprintf(stderr, "simulated game: offset 0x%llx lies outside the game image (image at +0x%llx)\n",
                     static_cast<unsigned long long>(offset),
                     static_cast<unsigned long long>(first - ImageBase()));
        std::abort();
    }
    return reinterpret_cast<std::uint8_t*>(address);
}

void StartGame()
{
    SetUnhandledExceptionFilter(&ReportCrash);
    InstallFunction(kConsolePrintOffset, reinterpret_cast<const void*>(&PrintOnConsole));
    InstallFunction(kConsoleExecutorOffset, reinterpret_cast<const void*>(&ExecuteOnConsole));
    InstallFunction(kExtraDataLookupOffset, reinterpret_cast<const void*>(&LookupExtraDataFunction));
    InstallFunction(kObjectNameOffset, reinterpret_cast<const void*>(&ObjectNameFunction));
    InstallFunction(kSetDisplayNameOffset, reinterpret_cast<const void*>(&SetDisplayNameFunction));
    RemoveConsole();
    UseExecutorObject(nullptr);
    ClearConsole();
    ForgetFaults();
    LayCommandTable({});
}

void* DataHandler()
{
    // What plugins are handed with the data-loaded messages; its contents
    // are not simulated.
    alignas(16) static std::uint8_t dataHandler[64];
    return dataHandler;
}

}  // namespace sim
