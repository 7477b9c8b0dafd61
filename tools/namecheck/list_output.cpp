// A report as text and as JSON: its counts, and each finding as the findings
// table has it.

#include "tools/namecheck/file_text.h"
#include "tools/namecheck/list_findings.h"
#include "tools/namecheck/list_report.h"

#include <sstream>

namespace varnel {

namespace {

std::string JsonList(const std::vector<std::string>& names, std::size_t shown, bool& replaced)
{
    std::string json = "[";
    for (std::size_t i = 0; i < std::min(shown, names.size()); ++i) {
        json += i > 0 ? ", " : "";
        json += JsonString(names[i], replaced);
    }
    return json + "]";
}

const char* EncodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return "utf-8";
    case Encoding::Utf16WithMark:
        return "utf-16";
    case Encoding::Utf16NoMark:
        return "utf-16-without-mark";
    case Encoding::NotUtf8:
        return "not-utf-8";
    }
    return "unknown";
}

const char* StateName(ListState state)
{
    switch (state) {
    case ListState::Readable:
        return "readable";
    case ListState::Missing:
        return "missing";
    case ListState::NotAFile:
        return "not-a-file";
    case ListState::Unopenable:
        return "unopenable";
    case ListState::ReadFailed:
        return "read-failed";
    }
    return "unknown";
}

}  // namespace

std::string ReportAsJson(const ListReport& report)
{
    bool replaced = false;
    std::ostringstream out;
    out << "{\"path\": " << JsonString(PathAsUtf8(report.path), replaced)
        << ", \"readable\": " << (report.state == ListState::Readable ? "true" : "false")
        << ", \"state\": \"" << StateName(report.state)
        << "\", \"encoding\": \"" << EncodingName(report.encoding) << "\", \"lines\": " << report.lines
        << ", \"names\": " << report.names << ", \"emptyLines\": " << report.emptyLines
        << ", \"emptyLinesAtEnd\": " << report.emptyLinesAtEnd << ", \"failingDraws\": " << report.failingDraws
        << ", \"carriageReturnsOnly\": " << (report.carriageReturnsOnly ? "true" : "false")
        << ", \"someCommandsFail\": " << (SomeCommandsFail(report) ? "true" : "false")
        << ", \"hasProblems\": " << (ListHasProblems(report) ? "true" : "false") << ", \"favoured\": [";
    for (std::size_t i = 0; i < report.favoured.size(); ++i)
        out << (i > 0 ? ", " : "") << "{\"name\": " << JsonString(report.favoured[i].name, replaced)
            << ", \"line\": " << report.favoured[i].lineNumber << ", \"drawnBy\": " << report.favoured[i].drawnBy
            << "}";
    out << "], \"longLines\": [";
    for (std::size_t i = 0; i < report.longLines.size(); ++i)
        out << (i > 0 ? ", " : "") << "{\"line\": " << report.longLines[i].lineNumber
            << ", \"bytes\": " << report.longLines[i].bytes << "}";
    out << "], \"byteOrderMark\": " << (report.byteOrderMark ? "true" : "false")
        << ", \"crLfLineEnds\": " << report.crLfLineEnds << ", \"lfLineEnds\": " << report.lfLineEnds
        << ", \"loneCarriageReturns\": " << report.loneCarriageReturns << ", \"nulBytes\": " << report.nulBytes
        << ", \"endMark\": " << (report.endMark ? "true" : "false")
        << ", \"bytesAfterEndMark\": " << report.bytesAfterEndMark
        << ", \"duplicateCount\": " << report.duplicates.size()
        << ", \"duplicates\": " << JsonList(report.duplicates, kShownDuplicates, replaced)
        << ", \"blankEdged\": " << JsonList(report.blankEdged, SIZE_MAX, replaced)
        << ", \"percentSigns\": " << JsonList(report.percentSigns, SIZE_MAX, replaced)
        << ", \"blankNames\": " << JsonList(report.blankNames, SIZE_MAX, replaced) << ", \"caseVariants\": [";
    for (std::size_t i = 0; i < report.caseVariants.size(); ++i)
        out << (i > 0 ? ", " : "") << "[" << JsonString(report.caseVariants[i].first, replaced) << ", "
            << JsonString(report.caseVariants[i].second, replaced) << "]";
    out << "], \"findings\": [";
    const std::vector<Found> found = FindingsOf(report);
    for (std::size_t i = 0; i < found.size(); ++i) {
        const FindingKind& kind = KindOf(found[i].finding);
        out << (i > 0 ? ", " : "") << "{\"finding\": \"" << kind.key << "\", \"problem\": " << (kind.problem ? "true" : "false")
            << ", \"detail\": " << JsonString(found[i].detail, replaced) << ", \"action\": " << JsonString(kind.action, replaced)
            << ", \"fixMends\": " << (kind.fixMends ? "true" : "false") << "}";
    }
    out << "], \"replacedInvalidUtf8\": " << (replaced ? "true" : "false") << "}";
    return out.str();
}

std::string ReportAsText(const ListReport& report)
{
    std::ostringstream out;
    out << EscapedPath(report.path) << ": ";
    if (report.state == ListState::ReadFailed)
        return out.str() + "could not be read to its end (a read error, or memory ran out); nothing can be said "
                           "about it: run the check again\n";
    // A list that was read: its size, then a line for each finding; one that
    // was not: its one finding on the same line.
    const bool read = report.state == ListState::Readable;
    if (read && SavedAsUtf16(report))
        out << report.lines << (report.lines == 1 ? " line" : " lines") << " as the game reads it";
    else if (read)
        out << report.lines << (report.lines == 1 ? " line, " : " lines, ") << report.names
            << (report.names == 1 ? " name" : " names");
    bool problems = false;
    for (const auto& found : FindingsOf(report)) {
        const FindingKind& kind = KindOf(found.finding);
        problems = problems || kind.problem;
        out << (read ? "\n  " : "") << (kind.problem ? "" : "note: ") << found.detail << ".\n    To do: "
            << kind.action << (kind.fixMends ? ", or run with --fix" : "") << ".";
    }
    out << "\n";
    if (!problems)
        out << "  every command shows a name as its line reads, each line as likely as the next\n";
    return out.str();
}

}  // namespace varnel
