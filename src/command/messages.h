#pragma once

// Every text the plugin shows, and when: the console lines of SetRandomName,
// the script call it runs, and the fatal error box at start-up. Players, the
// read-me and other mods match on these texts byte for byte, so they stay as
// they have always been; the oddities marked "deliberate" are part of that
// and are not to be corrected. "%s" stands for the value named beside it.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace varnel {

enum class CommandMessage : std::uint8_t {
    NoSelectedReference,
    NotAnActor,
    NoExtraData,
    TooManyArguments,
    NoArgument,
    EmptyArgument,
    UnsupportedArgument,
    ListMissing,
    NameCountOutOfRange,
    RandomNumberOutOfRange,
    NewNameEmpty,
    NameReadBackEmpty,
    NameDidNotTake,
    ExecutorNotReady,
    UnexpectedFailureWithReason,
    UnexpectedFailure,
};

struct CommandMessageText {
    CommandMessage message;
    const char* text;
    const char* when;
};

// In the order the command checks; each failure prints its one line, except
// ListMissing, which comes before NameCountOutOfRange.
inline constexpr CommandMessageText kCommandMessages[] = {
    {CommandMessage::NoSelectedReference, "Error: no selected reference. Aborting function call.",
     "nothing is selected in the console"},
    {CommandMessage::NotAnActor, "Error: selected reference is not an Actor or Object Reference. Aborting function call.",
     "the selected reference's type code is not 75"},
    // Deliberate: no blank between "unsupported." and "Aborting".
    {CommandMessage::NoExtraData,
     "Error: the specified actor [%s] has no attached extra data which is unsupported.Aborting function call.",
     "the selected reference has no extra data list; %s: its FormID text"},
    {CommandMessage::TooManyArguments, "Error: size of std::vector 'Parameters' > 1. Aborting function call.",
     "more than one argument"},
    {CommandMessage::NoArgument, "Error: no name was specified. Aborting function call.", "no argument"},
    {CommandMessage::EmptyArgument, "Error: std::vector 'Parameters' is empty. Aborting function call.",
     "the one argument is empty"},
    {CommandMessage::UnsupportedArgument, "Error: command parameter is not supported. Aborting function call.",
     "the argument is neither \"female\" nor \"male\""},
    // Deliberate: forward slashes, while the plugin reads .\Data\SFSE\Plugins\.
    {CommandMessage::ListMissing,
     "Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting function call.",
     "nothing is at the chosen list's path; the NameCount line follows"},
    {CommandMessage::NameCountOutOfRange, "Error: int 'NameCount' is out of range. Aborting function call.",
     "the list is missing, empty or unreadable"},
    {CommandMessage::RandomNumberOutOfRange, "Error: int 'randomNumber' is out of range. Aborting function call.",
     "the drawn number is outside 1 to NameCount: never, while the draw keeps its promise"},
    {CommandMessage::NewNameEmpty, "Error: std::string 'sNewName' is empty. Aborting function call.",
     "the drawn line and every line after it are empty"},
    // Deliberate: "occured"; and the plugin writes no log.
    {CommandMessage::NameReadBackEmpty,
     "Error: critical error occured during renaming. Please see the log for details.",
     "the name read back after setting it is empty"},
    {CommandMessage::NameDidNotTake,
     "Selected actor [%s | %s] couldn't receive a name. Please see the log for details.",
     "the name read back differs from the one set; %s: FormID text, then the name shown"},
    {CommandMessage::ExecutorNotReady,
     "Error: the game's console line executor isn't ready. Aborting function call.",
     "the name was set, but the game has no console line executor object for the script call"},
    {CommandMessage::UnexpectedFailureWithReason, "Error: unexpected failure (%s). Aborting function call.",
     "a standard exception beneath the command; %s: its what(). Printed with this text as the format"},
    {CommandMessage::UnexpectedFailure, "Error: unexpected failure. Aborting function call.",
     "any other exception beneath the command"},
};

constexpr const char* TextOf(CommandMessage message)
{
    for (const auto& entry : kCommandMessages) {
        if (entry.message == message)
            return entry.text;
    }
    return "";
}

// The console line run after a successful rename; %s: the FormID text.
inline constexpr const char* kScriptCallLine = "CGF \"Varnel.RenameRefFromCachedData\" %s";

// The fatal error box of SFSEPlugin_Load when the game's module handle
// cannot be had; the process ends after it. Deliberate: "occured", the
// blank before each line break after "Error text:", and line 545.
inline constexpr const char* kFatalErrorText =
    "Fatal error has occured in function %s at line %s\n\n\nError text: \n -> %s\n";
inline constexpr const char* kLoadFailureFunction = "SFSEPlugin_Load";
inline constexpr std::uint32_t kLoadFailureLine = 545;
inline constexpr const char* kLoadFailureText = "Installation error: Starfield.exe handle couldn't be acquired";

// `text` with each "%s" replaced by the next of `values`, in order; the
// values themselves are not searched, so a '%' in a name stays as it is.
inline std::string FillIn(std::string_view text, std::initializer_list<std::string_view> values)
{
    std::string filled;
    const std::string_view* value = values.begin();
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.substr(at, 2) == "%s" && value != values.end()) {
            filled += *value++;
            ++at;
        } else {
            filled += text[at];
        }
    }
    return filled;
}

}  // namespace varnel
