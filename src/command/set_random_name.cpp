#include "src/command/set_random_name.h"

#include "src/command/arguments.h"
#include "src/command/command_log.h"
#include "src/command/messages.h"
#include "src/command/reference.h"
#include "src/game/console.h"
#include "src/game/game_addresses.h"
#include "src/names/name_list.h"
#include "src/names/random_number.h"

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

// Renames the selected reference and runs the script call, keeping its
// working values in `work`. Returns the console line of the failure, or the
// empty string when all went well; a missing list's line is printed at once,
// ahead of the NameCount line.
std::string RenameSelected(const std::uint8_t* compiledBlock, void* selectedReference, CommandWork& work)
{
    using enum CommandMessage;
    using enum CommandStage;
    if (selectedReference == nullptr)
        return TextOf(NoSelectedReference);
    const auto* reference = static_cast<const GameReference*>(selectedReference);
    work.typeCode = ReferenceTypeCode(reference);
    work.stage = Selected;
    if (work.typeCode != kAcceptedReferenceType)
        return TextOf(NotAnActor);
    work.formIdText = FormIdToText(reference);
    work.stage = Identified;
    void* const extraDataList = reference->extraDataList;
    if (extraDataList == nullptr)
        return FillIn(TextOf(NoExtraData), {work.formIdText});

    work.parameters = DecodeCommandArguments(compiledBlock);
    work.stage = Decoded;
    const Parameters& parameters = work.parameters;
    if (parameters.size() > 1)
        return TextOf(TooManyArguments);
    if (parameters.empty())
        return TextOf(NoArgument);
    if (parameters.front().empty())
        return TextOf(EmptyArgument);
    work.fileName = NameListFor(parameters.front());
    if (work.fileName == nullptr)
        return TextOf(UnsupportedArgument);

    work.count = CountNames(work.fileName);
    work.stage = Counted;
    if (work.count.missing)
        PrintLine(TextOf(ListMissing));
    const std::int32_t NameCount = work.count.lines;
    if (NameCount < 1)
        return TextOf(NameCountOutOfRange);
    work.randomNumber = DrawRandomNumber(NameCount);
    work.stage = Drawn;
    const std::int32_t randomNumber = work.randomNumber;
    if (randomNumber > NameCount || randomNumber < 1)
        return TextOf(RandomNumberOutOfRange);
    work.sNewName = ReadNameAt(work.fileName, randomNumber);
    work.stage = NameRead;
    const std::string& sNewName = work.sNewName;
    if (sNewName.empty())
        return TextOf(NewNameEmpty);

    SetDisplayName(extraDataList, sNewName.c_str());
    work.nameReadBack = GetDisplayName(reference, work.readBackTrace);
    work.stage = NameSetAndRead;
    if (work.nameReadBack.empty())
        return TextOf(NameReadBackEmpty);
    if (std::strcmp(work.nameReadBack.c_str(), sNewName.c_str()) != 0)
        return FillIn(TextOf(NameDidNotTake), {work.formIdText, GetDisplayName(reference)});

    // The new name stays even when the script call cannot run.
    work.scriptCallLine = FillIn(kScriptCallLine, {work.formIdText});
    work.stage = ScriptCalled;
    if (!ExecuteConsoleLine(work.scriptCallLine.c_str()))
        return TextOf(ExecutorNotReady);
    return {};
}

}  // namespace

bool ExecuteSetRandomName(const void* /*parameterInfo*/, const std::uint8_t* compiledBlock,
                          void* selectedReference) noexcept
{
    // Lines go out as "%s" arguments: names may hold '%'. Each call's log
    // line follows its console line.
    CommandWork work;
    try {
        const std::string failure = RenameSelected(compiledBlock, selectedReference, work);
        if (!failure.empty())
            PrintLine(failure.c_str());
        LogCommand(work, failure, {});
        return failure.empty();
    } catch (const std::exception& error) {
        ConsolePrint(TextOf(CommandMessage::UnexpectedFailureWithReason), error.what());
        LogCommand(work, TextOf(CommandMessage::UnexpectedFailureWithReason), error.what());
    } catch (...) {
        PrintLine(TextOf(CommandMessage::UnexpectedFailure));
        LogCommand(work, TextOf(CommandMessage::UnexpectedFailure), {});
    }
    return false;
}

}  // namespace varnel
