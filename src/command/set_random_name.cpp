#include "command/set_random_name.h"

#include "command/arguments.h"
#include "command/messages.h"
#include "command/reference.h"
#include "game/console.h"
#include "game/game_addresses.h"
#include "names/name_list.h"
#include "names/random_number.h"

#include <cstring>
#include <exception>
#include <string>

namespace varnel {

namespace {

// The list for the argument, compared as NUL-terminated text; null for any
// other argument.
const char* NameListFor(const std::string& argument)
{
    if (std::strcmp(argument.c_str(), "female") == 0)
        return kFemaleNamesFile;
    if (std::strcmp(argument.c_str(), "male") == 0)
        return kMaleNamesFile;
    return nullptr;
}

void PrintLine(const char* line) { ConsolePrint("%s", line); }

// Renames the selected reference and runs the script call. Returns the
// console line of the failure, or the empty string when all went well; a
// missing list's line is printed at once, ahead of the NameCount line.
std::string RenameSelected(const std::uint8_t* compiledBlock, void* selectedReference)
{
    using enum CommandMessage;
    if (selectedReference == nullptr)
        return TextOf(NoSelectedReference);
    const auto* reference = static_cast<const GameReference*>(selectedReference);
    if (ReferenceTypeCode(reference) != kAcceptedReferenceType)
        return TextOf(NotAnActor);
    const std::string formIdText = FormIdToText(reference);
    void* const extraDataList = reference->extraDataList;
    if (extraDataList == nullptr)
        return FillIn(TextOf(NoExtraData), {formIdText});

    const Parameters parameters = DecodeCommandArguments(compiledBlock);
    if (parameters.size() > 1)
        return TextOf(TooManyArguments);
    if (parameters.empty())
        return TextOf(NoArgument);
    if (parameters.front().empty())
        return TextOf(EmptyArgument);
    const char* fileName = NameListFor(parameters.front());
    if (fileName == nullptr)
        return TextOf(UnsupportedArgument);

    const ListCount count = CountNames(fileName);
    if (count.missing)
        PrintLine(TextOf(ListMissing));
    const std::int32_t NameCount = count.lines;
    if (NameCount < 1)
        return TextOf(NameCountOutOfRange);
    const std::int32_t randomNumber = DrawRandomNumber(NameCount);
    if (randomNumber > NameCount || randomNumber < 1)
        return TextOf(RandomNumberOutOfRange);
    const std::string sNewName = ReadNameAt(fileName, randomNumber);
    if (sNewName.empty())
        return TextOf(NewNameEmpty);

    SetDisplayName(extraDataList, sNewName.c_str());
    const std::string nameReadBack = GetDisplayName(reference);
    if (nameReadBack.empty())
        return TextOf(NameReadBackEmpty);
    if (std::strcmp(nameReadBack.c_str(), sNewName.c_str()) != 0)
        return FillIn(TextOf(NameDidNotTake), {formIdText, GetDisplayName(reference)});

    // The new name stays even when the script call cannot run.
    if (!ExecuteConsoleLine(FillIn(kScriptCallLine, {formIdText}).c_str()))
        return TextOf(ExecutorNotReady);
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
        PrintLine(failure.c_str());
    } catch (const std::exception& error) {
        ConsolePrint(TextOf(CommandMessage::UnexpectedFailureWithReason), error.what());
    } catch (...) {
        PrintLine(TextOf(CommandMessage::UnexpectedFailure));
    }
    return false;
}

}  // namespace varnel
