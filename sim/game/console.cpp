#include "sim/game/console.h"

#include "sim/game/game_image.h"
#include "sim/game/printf_text.h"

#include <cstdio>
#include <mutex>

namespace sim {
namespace {

std::mutex consoleMutex;
ConsoleRecord record;
std::vector<std::string> faults;

// The console object itself: the game hands its address to the print function.
alignas(16) std::uint8_t consoleObject[64];

// An executor object as the executor reaches it: it reads the object's name.
struct ExecutorRecord {
    std::uint64_t mark;
    const char* name;
};
constexpr std::uint64_t kExecutorMark = 0x45584543'4C494E45;  // "EXECLINE"
const ExecutorRecord executorObjects[] = {{kExecutorMark, "the game's console line executor"},
                                          {kExecutorMark, "a second executor object"}};

// Reaches the object through `executor` as the game does, but only when it
// is one of the executor objects: anything else would crash the real game.
const ExecutorRecord* ReachExecutor(const void* executor)
{
    for (const auto& object : executorObjects) {
        if (executor == &object && object.mark == kExecutorMark)
            return &object;
    }
    return nullptr;
}

std::string Hex(const void* value)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(value)));
    return text;
}

}  // namespace

ConsoleRecord ConsoleSeen()
{
    const std::lock_guard lock(consoleMutex);
    return record;
}

void ClearConsole()
{
    const std::lock_guard lock(consoleMutex);
    record = {};
}

std::vector<std::string> Faults()
{
    const std::lock_guard lock(consoleMutex);
    return faults;
}

void ForgetFaults()
{
    const std::lock_guard lock(consoleMutex);
    faults.clear();
}

void RecordFault(const std::string& what)
{
    const std::lock_guard lock(consoleMutex);
    faults.push_back(what);
}

void MakeConsole() { Store<const void*>(GameAddress(kConsoleObjectOffset), 0, consoleObject); }

void RemoveConsole() { Store<const void*>(GameAddress(kConsoleObjectOffset), 0, nullptr); }

const void* ConsoleObject() { return consoleObject; }

const void* ExecutorObject(Executor which) { return &executorObjects[which == Executor::Game ? 0 : 1]; }

void UseExecutorObject(const void* object) { Store(GameAddress(kConsoleExecutorObjectOffset), 0, object); }

void NoteGameCall(const char* function)
{
    const std::lock_guard lock(consoleMutex);
    record.gameCalls.emplace_back(function);
}

void PrintOnConsole(void* console, const char* format, va_list arguments)
{
    NoteGameCall("console print");
    std::string line = PrintfText(format, arguments);
    const std::lock_guard lock(consoleMutex);
    record.lines.push_back(std::move(line));
    record.formats.emplace_back(format);
    record.consoles.push_back(console);
}

void ExecuteOnConsole(const void* executor, const char* commandLine)
{
    NoteGameCall("console line executor");
    const ExecutorRecord* object = ReachExecutor(executor);
    const std::lock_guard lock(consoleMutex);
    if (object == nullptr) {
        faults.push_back("console line executor given " + Hex(executor) +
                                ", which is not an executor object, for the line: " + commandLine);
        return;
    }
    record.executed.push_back({object->name, commandLine});
}

}  // namespace sim
