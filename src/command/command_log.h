#pragma once

// One SetRandomName call as its log line tells it: the working values, as
// far as the call got, and the line made of them. A player sees one console
// line; the log says what was behind it (which list was looked for where,
// what was drawn, what the game gave back).

#include "src/command/arguments.h"
#include "src/command/reference.h"
#include "src/names/name_list.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

// How far a call got: each stage has the values of those before it.
enum class CommandStage : std::uint8_t {
    Started,        // nothing read yet
    Selected,       // a reference is selected: typeCode
    Identified,     // it is an actor: formIdText
    Decoded,        // parameters
    Counted,        // fileName, count (CountNames follows the choice of list at once)
    Drawn,          // randomNumber
    NameRead,       // sNewName
    NameSetAndRead, // nameReadBack, readBackTrace
    ScriptCalled,   // scriptCallLine
};

// The working values of one call; the command fills them in as it goes.
struct CommandWork {
    CommandStage stage = CommandStage::Started;
    std::uint8_t typeCode = 0;
    std::string formIdText;
    Parameters parameters;
    const char* fileName = nullptr;  // FemaleNames.txt or MaleNames.txt
    ListCount count;
    std::int32_t randomNumber = 0;
    std::string sNewName;
    std::string nameReadBack;
    DisplayNameTrace readBackTrace;
    std::string scriptCallLine;
    // Added for the log line once the call is over: the list's path as
    // resolved against the game's working folder, where a list was chosen.
    std::string listFullPath;
};

// The log line of a call: the rename on success (`consoleLine` empty), else
// the console line and the facts behind it. `exceptionText` is what an
// unexpected exception said, for the line's "%s"; empty for none.
std::string CommandLogText(const CommandWork& work, std::string_view consoleLine, std::string_view exceptionText);

// Resolves the list's full path into `work`, then writes CommandLogText to
// the plugin's log. Never fails visibly: a line that cannot be made (no
// memory) is left out.
void LogCommand(CommandWork& work, std::string_view consoleLine, std::string_view exceptionText) noexcept;

}  // namespace varnel
