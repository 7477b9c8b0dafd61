#include "src/command/command_log.h"

#include "src/command/messages.h"
#include "src/log/log.h"
#include "src/log/log_line.h"
#include "src/log/log_openings.h"
#include "src/names/list_file.h"
#include "src/text/utf8.h"

namespace varnel {

namespace {

bool Reached(const CommandWork& work, CommandStage stage) { return work.stage >= stage; }

std::string Quoted(std::string_view text) { return LogText({"\"", Escaped(text), "\""}); }

std::string ArgumentsText(const Parameters& parameters)
{
    if (parameters.empty())
        return "no argument";
    std::string text = parameters.size() == 1 ? "argument " : LogText({DecimalText(static_cast<std::int64_t>(parameters.size())), " arguments "});
    for (std::size_t i = 0; i < parameters.size(); ++i)
        text += LogText({i == 0 ? "" : ", ", Quoted(parameters[i])});
    return text;
}

// Why a list gave no NameCount: nothing there, there but not readable, or empty.
std::string_view EmptyListState(const ListCount& count)
{
    if (count.missing)
        return kLogListMissing;
    return count.unopenable ? kLogListUnopenable : kLogListEmpty;
}

// Which step of reading the name back gave nothing, of the reference's own
// name and then of its default object's.
std::string EmptyNameCause(const DisplayNameTrace& trace)
{
    const std::string steps = DecimalText(trace.externalSteps);
    std::string own;
    if (!trace.displayNameRecord)
        own = "no display-name record";
    else if (!trace.stringEntry)
        own = "the display-name record holds a null string entry";
    else if (!trace.inlineEntry)
        own = LogText({"the external string entry led nowhere after ", steps, " steps"});
    else if (trace.externalSteps > 0)
        own = LogText({"the string entry's value is zero, after ", steps, " external steps"});
    else
        own = "the string entry's value is zero";
    return LogText({own, ", and ", trace.defaultObject ? "the default object's name is empty" : "no default object"});
}

std::string RenameText(const CommandWork& work)
{
    return LogText({kLogRenamed, work.formIdText, " is now ", Quoted(work.sNewName), ", line ",
                    DecimalText(work.randomNumber), " of ", DecimalText(work.count.lines), " drawn from ",
                    Escaped(work.listFullPath, Backslashes::Kept), kLogFactSeparator, "script call ",
                    Quoted(work.scriptCallLine)});
}

void AddFact(std::string& text, std::string_view name, std::string_view value)
{
    text += LogText({kLogFactSeparator, name, value});
}

void AddListFacts(std::string& text, const CommandWork& work)
{
    const bool noNames = work.count.lines < 1;
    AddFact(text, kLogListFact,
            LogText({Escaped(work.listFullPath, Backslashes::Kept), noNames ? EmptyListState(work.count) : ""}));
    AddFact(text, "NameCount ", DecimalText(work.count.lines));
    if (Reached(work, CommandStage::Drawn))
        AddFact(text, "randomNumber ", DecimalText(work.randomNumber));
    if (Reached(work, CommandStage::NameRead))
        AddFact(text, "sNewName ", Quoted(work.sNewName));
}

std::string FailureText(const CommandWork& work, std::string_view consoleLine, std::string_view exceptionText)
{
    const std::string line = exceptionText.empty() ? std::string(consoleLine) : FillIn(consoleLine, {exceptionText});
    // A missing list shows two console lines: both are quoted.
    const bool twoLines = Reached(work, CommandStage::Counted) && work.count.missing;
    std::string text = LogText({kLogFailed, twoLines ? Quoted(TextOf(CommandMessage::ListMissing)) : "",
                                twoLines ? " then " : "", Quoted(line)});
    if (work.stage == CommandStage::Started)
        AddFact(text, "no reference selected", "");
    if (Reached(work, CommandStage::Selected))
        AddFact(text, "type code ", DecimalText(work.typeCode));
    if (Reached(work, CommandStage::Identified))
        AddFact(text, "reference ", work.formIdText);
    if (Reached(work, CommandStage::Decoded))
        AddFact(text, "", ArgumentsText(work.parameters));
    if (Reached(work, CommandStage::Counted))
        AddListFacts(text, work);
    if (Reached(work, CommandStage::NameSetAndRead)) {
        AddFact(text, "name read back ", Quoted(work.nameReadBack));
        if (work.nameReadBack.empty())
            AddFact(text, "nothing to read: ", EmptyNameCause(work.readBackTrace));
    }
    if (Reached(work, CommandStage::ScriptCalled))
        AddFact(text, "script call ", Quoted(work.scriptCallLine));
    return text;
}

}  // namespace

std::string CommandLogText(const CommandWork& work, std::string_view consoleLine, std::string_view exceptionText)
{
    if (consoleLine.empty())
        return RenameText(work);
    return FailureText(work, consoleLine, exceptionText);
}

void LogCommand(CommandWork& work, std::string_view consoleLine, std::string_view exceptionText) noexcept
{
    try {
        if (Reached(work, CommandStage::Counted))
            work.listFullPath = ListFileFullPath(LogText({PluginFolder, work.fileName}));
        Log(CommandLogText(work, consoleLine, exceptionText));
    } catch (...) {
        // No memory for the line: the command's own result stands.
    }
}

}  // namespace varnel
