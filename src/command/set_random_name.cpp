#include "command/set_random_name.h"

#include "command/arguments.h"
#include "command/reference.h"
#include "game/console.h"
#include "game/game_addresses.h"
#include "names/name_list.h"
#include "names/random_number.h"

#include <cstring>
#include <exception>
#include <string>

namespace {

const std::string kTypeWord = "actor";
constexpr const char* kScriptCall = "CGF \"Varnel.RenameRefFromCachedData\" ";

// The list for the argument, compared as NUL-terminated text; null for any
// other argument.
const char* NameListFor(const std::string& argument)
{
    if (std::strcmp(argument.c_str(), "female") == 0)
        return "FemaleNames.txt";
    if (std::strcmp(argument.c_str(), "male") == 0)
        return "MaleNames.txt";
    return nullptr;
}

// Renames the selected reference and runs the script call. Returns the
// console line of the failure, or the empty string when all went well.
std::string RenameSelected(const std::uint8_t* compiledBlock, void* selectedReference)
{
    if (selectedReference == nullptr)
        return "Error: no selected reference. Aborting function call.";
    const auto* reference = static_cast<const GameReference*>(selectedReference);
    if (ReferenceTypeCode(reference) != kAcceptedReferenceType)
        return "Error: selected reference is not an Actor or Object Reference. Aborting function call.";
    const std::string formIdText = FormIdToText(reference);
    void* const extraDataList = reference->extraDataList;
    if (extraDataList == nullptr)
        return "Error: the specified " + kTypeWord + " [" + formIdText +
               "] has no attached extra data which is unsupported.Aborting function call.";

    const Parameters parameters = DecodeCommandArguments(compiledBlock);
    if (parameters.size() > 1)
        return "Error: size of std::vector 'Parameters' > 1. Aborting function call.";
    if (parameters.empty())
        return "Error: no name was specified. Aborting function call.";
    if (parameters.front().empty())
        return "Error: std::vector 'Parameters' is empty. Aborting function call.";
    const char* fileName = NameListFor(parameters.front());
    if (fileName == nullptr)
        return "Error: command parameter is not supported. Aborting function call.";

    const std::int32_t NameCount = CountNames(fileName);
    if (NameCount < 1)
        return "Error: int 'NameCount' is out of range. Aborting function call.";
    const std::int32_t randomNumber = DrawRandomNumber(NameCount);
    if (randomNumber > NameCount || randomNumber < 1)
        return "Error: int 'randomNumber' is out of range. Aborting function call.";
    const std::string sNewName = ReadNameAt(fileName, randomNumber);
    if (sNewName.empty())
        return "Error: std::string 'sNewName' is empty. Aborting function call.";

    SetDisplayName(extraDataList, sNewName.c_str());
    const std::string nameReadBack = GetDisplayName(reference);
    if (nameReadBack.empty())
        return "Error: critical error occured during renaming. Please see the log for details.";
    if (std::strcmp(nameReadBack.c_str(), sNewName.c_str()) != 0)
        return "Selected " + kTypeWord + " [" + formIdText + " | " + GetDisplayName(reference) +
               "] couldn't receive a name. Please see the log for details.";

    // The new name stays even when the script call cannot run.
    if (!ExecuteConsoleLine((kScriptCall + formIdText).c_str()))
        return "Error: the game's console line executor isn't ready. Aborting function call.";
    return {};
}

}  // namespace

bool ExecuteSetRandomName(const void* /*parameterInfo*/, const std::uint8_t* compiledBlock,
                          void* selectedReference) noexcept
{
    // Lines go out as "%s" arguments: names may hold '%'.
    try {
        const std::string failure = RenameSelected(compiledBlock, selectedReference);
        if (failure.empty())
            return true;
        ConsolePrint("%s", failure.c_str());
    } catch (const std::exception& error) {
        ConsolePrint("Error: unexpected failure (%s). Aborting function call.", error.what());
    } catch (...) {
        ConsolePrint("%s", "Error: unexpected failure. Aborting function call.");
    }
    return false;
}
