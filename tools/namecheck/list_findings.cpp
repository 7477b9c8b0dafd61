#include "tools/namecheck/list_findings.h"

#include "tools/namecheck/file_text.h"
#include "tools/namecheck/list_report.h"
#include "tools/namecheck/list_text.h"

#include "src/command/messages.h"
#include "src/names/list_names.h"

#include <algorithm>
#include <iterator>
#include <sstream>

namespace varnel {

namespace {

// A console line of the command as players see it, quoted.
std::string ConsoleLine(CommandMessage message) { return std::string("\"") + TextOf(message) + "\""; }

}  // namespace

const FindingKind kFindingKinds[] = {
    {Finding::Missing, true, false, "missing",
     "the list is not there: every command fails",
     "put FemaleNames.txt and MaleNames.txt beside Varnel.dll in the game's Data\\SFSE\\Plugins"},
    {Finding::NotAFile, true, false, "notAFile",
     "a folder, pipe or device stands where the list should be",
     "remove it and put the list file there"},
    {Finding::Unopenable, true, false, "unopenable",
     "the list cannot be opened: every command fails",
     "close the program that holds it, or let it be read, then check again"},
    {Finding::NoLines, true, false, "noLines",
     "the list has no lines: every command fails",
     "add names, one on each line"},
    {Finding::Utf16, true, true, "utf16",
     "saved as UTF-16: names show as fragments or not at all",
     "save it as UTF-8 in Notepad (Save As, Encoding: UTF-8)"},
    {Finding::NotUtf8, true, false, "notUtf8",
     "not UTF-8 (an old code page): letters beyond ASCII show wrong",
     "save it as UTF-8 in Notepad (Save As, Encoding: UTF-8)"},
    {Finding::ByteOrderMark, true, true, "byteOrderMark",
     "a byte-order mark: the first name shows with an invisible mark",
     "save it as \"UTF-8\", not \"UTF-8 with BOM\""},
    {Finding::CarriageReturns, true, true, "carriageReturns",
     "carriage returns that stay in names",
     "save it with Windows (CR LF) or Unix (LF) line ends"},
    {Finding::NulBytes, true, true, "nulBytes",
     "NUL bytes: a name shows only up to its first NUL",
     "remove the NUL bytes"},
    {Finding::TextAfterEndMark, true, true, "textAfterEndMark",
     "text after a 0x1A byte, which is never read",
     "remove the 0x1A byte"},
    {Finding::BlankNames, true, true, "blankNames",
     "names of blanks or tabs only, which show as nothing",
     "remove those lines"},
    {Finding::InvisibleNames, true, false, "invisibleNames",
     "names of characters the game shows as nothing (no-break or zero-width spaces, a lone mark)",
     "remove those lines, or put a name on them"},
    {Finding::SeveralNames, true, false, "severalNames",
     "a comma, semicolon or tab between words: several names on one line",
     "put one name on each line"},
    {Finding::LongLines, true, false, "longLines",
     "lines over 100 bytes: most likely several names on one line",
     "put one name on each line"},
    {Finding::EmptyLines, true, true, "emptyLines",
     "empty lines: the draw is uneven, or some commands fail",
     "remove the empty lines"},
    {Finding::FavouredNames, true, true, "favouredNames",
     "a name drawn more often than its share (empty lines before it)",
     "remove the empty lines before it"},
    {Finding::CommandsFail, true, true, "commandsFail",
     "line numbers that give no name: some commands fail",
     "remove the empty lines at the end and the names that start with a NUL"},
    {Finding::Duplicates, false, true, "duplicates",
     "the same name on several lines (drawn that many times as often)",
     "remove the copies if each name should be as likely as the next"},
    {Finding::CaseVariants, false, false, "caseVariants",
     "names that differ only in letter case",
     "nothing to do if both are meant; each shows as typed"},
    {Finding::BlankEdges, false, false, "blankEdges",
     "blanks at the start or end of a name, which the game keeps",
     "remove them if they are not meant"},
    {Finding::PercentSigns, false, false, "percentSigns",
     "names holding %",
     "nothing to do; they show as typed"},
    {Finding::MixedLineEnds, false, false, "mixedLineEnds",
     "both CR LF and LF line ends, which read alike",
     "nothing to do"},
    {Finding::OtherFileName, false, false, "otherFileName",
     "a list under another name than FemaleNames.txt or MaleNames.txt",
     "save it as FemaleNames.txt or MaleNames.txt"},
};
const std::size_t kFindingKindCount = std::size(kFindingKinds);

const FindingKind& KindOf(Finding finding)
{
    return *std::find_if(std::begin(kFindingKinds), std::end(kFindingKinds),
                         [&](const FindingKind& kind) { return kind.finding == finding; });
}

std::string LinesText(const std::vector<std::int64_t>& lines)
{
    constexpr std::size_t kShown = 10;
    std::string text = lines.size() == 1 ? "line " : "lines ";
    for (std::size_t i = 0; i < std::min(kShown, lines.size()); ++i)
        text += (i > 0 ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > kShown)
        text += " and " + std::to_string(lines.size() - kShown) + " more";
    return text;
}

namespace {

std::string Percent(std::int64_t part, std::int64_t whole)
{
    std::ostringstream text;
    text.precision(3);
    text << (whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0) << "%";
    return text.str();
}

// Built up in steps: GCC 12 warns falsely (-Wrestrict) on "\"" + text + "\"".
std::string Quoted(const std::string& text)
{
    std::string quoted(1, '"');
    quoted += Escaped(text);
    quoted += '"';
    return quoted;
}

std::string QuotedList(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < std::min<std::size_t>(5, names.size()); ++i) {
        text += ' ';
        text += Quoted(names[i]);
    }
    if (names.size() > 5)
        text += " and " + std::to_string(names.size() - 5) + " more";
    return text;
}

using Findings = std::vector<Found>;

void Add(Findings& found, Finding finding, std::string detail) { found.push_back({finding, std::move(detail)}); }

void UnreadFindings(const ListReport& report, Findings& found)
{
    if (report.state == ListState::Missing)
        Add(found, Finding::Missing,
            "not found; every command fails with two lines: " + ConsoleLine(CommandMessage::ListMissing) + " and " +
                ConsoleLine(CommandMessage::NameCountOutOfRange));
    else if (report.state == ListState::NotAFile)
        Add(found, Finding::NotAFile,
            std::string("is ") + report.notAFile + ", not a list file; every command fails with " +
                ConsoleLine(CommandMessage::NameCountOutOfRange));
    else if (report.state == ListState::Unopenable)
        Add(found, Finding::Unopenable,
            "exists but cannot be opened (locked by another program, or no permission); every command fails with " +
                ConsoleLine(CommandMessage::NameCountOutOfRange));
}

void EncodingFindings(const ListReport& report, Findings& found)
{
    // Every line after the first starts with the NUL left of the line feed
    // before it: those draws give no name at all.
    if (report.encoding == Encoding::Utf16WithMark || report.encoding == Encoding::Utf16NoMark)
        Add(found, Finding::Utf16,
            "saved as UTF-16 (Notepad's \"Unicode\"): the game cuts every name at its first NUL byte, so " +
                (report.failingDraws > 0 ? Percent(report.failingDraws, report.lines) + " of commands fail (" +
                                               ConsoleLine(CommandMessage::NewNameEmpty) +
                                               ") and the others show a single letter or a fragment"
                                         : std::string("the names show as single letters or fragments")));
    if (report.encoding == Encoding::NotUtf8)
        Add(found, Finding::NotUtf8, "not UTF-8 (saved in an old Windows code page?) on " +
                                         LinesText(report.notUtf8Lines) +
                                         ": letters beyond plain ASCII show as wrong letters in the game");
    if (report.byteOrderMark)
        Add(found, Finding::ByteOrderMark, "starts with a UTF-8 byte-order mark: the game shows the first name with an "
                                           "invisible mark in front of it");
}

void ByteFindings(const ListReport& report, Findings& found)
{
    if (report.carriageReturnsOnly)
        Add(found, Finding::CarriageReturns, "classic Mac line ends (CR only): to the game the whole list is one long "
                                             "name full of CRs");
    else if (!report.carriageReturnLines.empty())
        Add(found, Finding::CarriageReturns,
            Count(static_cast<std::int64_t>(report.carriageReturnLines.size()), "name keeps", "names keep") +
                " a carriage return that is not part of a line end, which the game shows (" +
                LinesText(report.carriageReturnLines) + ")");
    if (report.nulBytes > 0)
        Add(found, Finding::NulBytes,
            Count(report.nulBytes, "NUL byte", "NUL bytes") + ": a name ends at its first NUL" +
                (report.nulCutLines.empty() ? "" : ", so the text after it never shows (" +
                                                       LinesText(report.nulCutLines) + ")"));
    if (report.textAfterEndMark > 0)
        Add(found, Finding::TextAfterEndMark,
            "a 0x1A byte ends the list early: " + Count(report.bytesAfterEndMark, "byte", "bytes") +
                (report.bytesAfterEndMark == 1 ? " after it is never read" : " after it are never read"));
    if (report.crLfLineEnds > 0 && report.lfLineEnds > 0)
        Add(found, Finding::MixedLineEnds, "mixed line ends: " + std::to_string(report.crLfLineEnds) + " CR LF, " +
                                               std::to_string(report.lfLineEnds) + " LF");
}

void NameFindings(const ListReport& report, Findings& found)
{
    if (!report.blankNames.empty())
        Add(found, Finding::BlankNames,
            Count(static_cast<std::int64_t>(report.blankNames.size()), "name is", "names are") +
                " only blanks or tabs: the game shows an empty-looking name (" + LinesText(report.blankNameLines) + ")");
    for (const auto& name : report.invisible)
        Add(found, Finding::InvisibleNames,
            "line " + std::to_string(name.lineNumber) + " shows as nothing (it holds only no-break or zero-width "
            "spaces, or a byte-order mark): an invisible name, drawn " + Percent(name.drawnBy, report.lines) +
                " of the time");
    if (!report.severalNameLines.empty())
        Add(found, Finding::SeveralNames,
            LinesText(report.severalNameLines) + (report.severalNameLines.size() == 1 ? " holds" : " hold") +
                " a comma, semicolon or tab between words: the game shows the whole line as one name");
    for (const auto& line : report.longLines)
        Add(found, Finding::LongLines,
            "line " + std::to_string(line.lineNumber) + " is " + std::to_string(line.bytes) +
                " bytes long: most likely several names on one line (\"Anna, Bert, Cara\", or lines an editor "
                "joined); the game would show the whole line as one name and keep it in the save");
}

void DrawFindings(const ListReport& report, Findings& found)
{
    if (report.lines < 1)
        Add(found, Finding::NoLines,
            "no lines: every command fails (" + ConsoleLine(CommandMessage::NameCountOutOfRange) + ")");
    if (report.emptyLines > 0)
        Add(found, Finding::EmptyLines,
            Count(report.emptyLines, "empty line", "empty lines") + " (" + std::to_string(report.emptyLinesAtEnd) +
                " at the end; " + LinesText(report.emptyLineNumbers) + ")");
    // A fair share is one name's: one over the number of names.
    for (const auto& chance : report.favoured)
        Add(found, Finding::FavouredNames,
            "more likely: " + Quoted(chance.name) + " (line " + std::to_string(chance.lineNumber) + ") is drawn " +
                Percent(chance.drawnBy, report.lines) + " of the time, not " + Percent(1, report.names));
    if (report.failingDraws > 0)
        Add(found, Finding::CommandsFail, Percent(report.failingDraws, report.lines) + " of commands fail (" +
                                              ConsoleLine(CommandMessage::NewNameEmpty) + ")");
}

void NoteFindings(const ListReport& report, Findings& found)
{
    if (!report.duplicates.empty())
        Add(found, Finding::Duplicates,
            "duplicate names (" + std::to_string(report.duplicates.size()) + "):" + QuotedList(report.duplicates));
    if (!report.caseVariants.empty()) {
        std::string pairs;
        for (std::size_t i = 0; i < std::min<std::size_t>(5, report.caseVariants.size()); ++i) {
            pairs += ' ';
            pairs += Quoted(report.caseVariants[i].first);
            pairs += '/';
            pairs += Quoted(report.caseVariants[i].second);
        }
        if (report.caseVariants.size() > 5)
            pairs += " and " + std::to_string(report.caseVariants.size() - 5) + " more";
        Add(found, Finding::CaseVariants,
            "names that differ only in letter case (" + std::to_string(report.caseVariants.size()) + "):" + pairs);
    }
    if (!report.blankEdged.empty())
        Add(found, Finding::BlankEdges, "names with leading or trailing blanks (" +
                                            std::to_string(report.blankEdged.size()) + "):" +
                                            QuotedList(report.blankEdged));
    if (!report.percentSigns.empty())
        Add(found, Finding::PercentSigns,
            "names holding % (" + std::to_string(report.percentSigns.size()) + "):" + QuotedList(report.percentSigns));
    // The file's name, whichever separator the path was written with.
    const std::string path = PathAsUtf8(report.path);
    const std::string file = path.substr(path.find_last_of("/\\") + 1);
    if (file != kFemaleNamesFile && file != kMaleNamesFile)
        Add(found, Finding::OtherFileName, "named " + Quoted(file) + ", which the plugin never reads");
}

}  // namespace

std::vector<Found> FindingsOf(const ListReport& report)
{
    Findings found;
    if (report.state == ListState::ReadFailed)
        return found;
    UnreadFindings(report, found);
    if (report.state == ListState::Readable) {
        EncodingFindings(report, found);
        // Read as UTF-16, every other finding would only restate it.
        if (!std::any_of(found.begin(), found.end(), [](const Found& f) { return f.finding == Finding::Utf16; })) {
            ByteFindings(report, found);
            NameFindings(report, found);
            DrawFindings(report, found);
            NoteFindings(report, found);
        }
    }
    Findings problemsFirst;
    for (const bool problem : {true, false}) {
        std::copy_if(found.begin(), found.end(), std::back_inserter(problemsFirst),
                     [&](const Found& f) { return KindOf(f.finding).problem == problem; });
    }
    return problemsFirst;
}

std::string FindingsHelp()
{
    std::string problems = "Problems (exit status 1):\n";
    std::string notes = "Notes (exit status 0):\n";
    for (const auto& kind : kFindingKinds) {
        std::string& to = kind.problem ? problems : notes;
        to += std::string("  ") + kind.what + (kind.fixMends ? " [--fix mends it]" : "") + "\n";
    }
    return problems + notes;
}

}  // namespace varnel
