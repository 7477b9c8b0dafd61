#include "list_report.h"

#include "names/list_file.h"
#include "names/name_list.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>

namespace {

std::string PathText(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

std::string CutAtNul(const std::string& line) { return line.substr(0, line.find('\0')); }

bool HasBlankEdge(const std::string& name)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !name.empty() && (blank(name.front()) || blank(name.back()));
}

// Byte-level findings the line reader does not show.
void InspectBytes(const std::filesystem::path& path, ListReport& report)
{
    const std::string bytes = ReadBytes(path).value_or("");
    report.encoding = DetectEncoding(bytes);
    const std::size_t end = std::min(bytes.find('\x1A'), bytes.size());
    report.endMark = end < bytes.size();
    report.bytesAfterEndMark = static_cast<std::int64_t>(report.endMark ? bytes.size() - end - 1 : 0);
    report.byteOrderMark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    for (std::size_t i = 0; i < end; ++i) {
        const bool crBeforeLf = bytes[i] == '\r' && i + 1 < end && bytes[i + 1] == '\n';
        report.crLfLineEnds += crBeforeLf ? 1 : 0;
        report.loneCarriageReturns += bytes[i] == '\r' && !crBeforeLf ? 1 : 0;
        report.lfLineEnds += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r') ? 1 : 0;
        report.nulBytes += bytes[i] == '\0' ? 1 : 0;
    }
    report.carriageReturnsOnly = report.loneCarriageReturns > 0 && report.lfLineEnds == 0 && report.crLfLineEnds == 0;
}

// Which line each line number gives, as ReadNameAt finds it: the first
// non-empty line at or after it; -1 when there is none.
std::vector<std::int64_t> LineGivenFor(const std::vector<std::string>& lines)
{
    std::vector<std::int64_t> given(lines.size(), -1);
    std::int64_t next = -1;
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (!lines[i].empty())
            next = static_cast<std::int64_t>(i);
        given[i] = next;
    }
    return given;
}

void InspectNames(const std::vector<std::string>& lines, ListReport& report)
{
    std::map<std::string, int> seen;
    for (const auto& line : lines) {
        if (line.empty()) {
            ++report.emptyLines;
            continue;
        }
        ++report.names;
        const std::string name = CutAtNul(line);
        if (++seen[name] == 2)
            report.duplicates.push_back(name);
        if (HasBlankEdge(name))
            report.blankEdged.push_back(name);
        if (name.find('%') != std::string::npos)
            report.percentSigns.push_back(name);
    }
    const auto lastName = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& l) { return !l.empty(); });
    report.emptyLinesAtEnd = lastName - lines.rbegin();
    report.onlyBlankNames = report.names > 0 && std::all_of(lines.begin(), lines.end(), [](const std::string& l) {
        return CutAtNul(l).find_first_not_of(" \t\r") == std::string::npos;
    });
}

void InspectDraws(const std::vector<std::string>& lines, ListReport& report)
{
    std::map<std::int64_t, std::int64_t> drawnBy;
    for (const std::int64_t line : LineGivenFor(lines)) {
        if (line < 0 || CutAtNul(lines[static_cast<std::size_t>(line)]).empty())
            ++report.failingDraws;
        else
            ++drawnBy[line];
    }
    for (const auto& [line, count] : drawnBy) {
        if (count > 1)
            report.favoured.push_back({CutAtNul(lines[static_cast<std::size_t>(line)]), line + 1, count});
    }
}

std::string Percent(std::int64_t part, std::int64_t whole)
{
    std::ostringstream text;
    text.precision(3);
    text << (whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0) << "%";
    return text.str();
}

std::string Count(std::int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Quoted(const std::string& text)
{
    std::string quoted(1, '"');
    quoted += Escaped(text);
    quoted += '"';
    return quoted;
}

// JSON strings are valid UTF-8: malformed bytes become U+FFFD, and the
// report's "replacedInvalidUtf8" says so.
std::string JsonString(const std::string& text, bool& replaced)
{
    std::string json = "\"";
    for (const char c : ValidUtf8(text, replaced)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            const char* hex = "0123456789abcdef";
            json += "\\u00";
            json += hex[byte >> 4];
            json += hex[byte & 0xF];
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string JsonList(const std::vector<std::string>& names, std::size_t shown, bool& replaced)
{
    std::string json = "[";
    for (std::size_t i = 0; i < std::min(shown, names.size()); ++i) {
        json += i > 0 ? ", " : "";
        json += JsonString(names[i], replaced);
    }
    return json + "]";
}

void TextList(std::ostringstream& out, const char* what, const std::vector<std::string>& names,
              std::size_t shown = SIZE_MAX)
{
    if (names.empty())
        return;
    out << "  " << what << " (" << names.size() << "):";
    for (std::size_t i = 0; i < std::min(shown, names.size()); ++i)
        out << " " << Quoted(names[i]);
    if (names.size() > shown)
        out << " and " << names.size() - shown << " more";
    out << "\n";
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
    case ListState::Unopenable:
        return "unopenable";
    }
    return "unknown";
}

void TextEncoding(std::ostringstream& out, Encoding encoding)
{
    if (encoding == Encoding::Utf16WithMark || encoding == Encoding::Utf16NoMark)
        out << "  saved as UTF-16 (Notepad's \"Unicode\"): the game cuts every name at its first NUL byte, so the\n"
               "  names show as single letters or fragments, or not at all. Save it as UTF-8, or run with --fix.\n";
    else if (encoding == Encoding::NotUtf8)
        out << "  not UTF-8 (saved in an old Windows code page?): letters beyond plain ASCII show as wrong\n"
               "  letters in the game. Open it in an editor and save it as UTF-8.\n";
}

}  // namespace

ListReport ReportOnList(const std::filesystem::path& path)
{
    ListReport report;
    report.path = path;
    const std::string utf8Path = PathText(path);
    if (!ListFileExists(utf8Path))
        return report;
    std::vector<std::string> lines;
    if (!VisitLinesInFile(utf8Path, [&](const std::string& line) { lines.push_back(line); })) {
        report.state = ListState::Unopenable;
        return report;
    }
    report.state = ListState::Readable;
    report.lines = CountNamesInFile(utf8Path);
    InspectBytes(path, report);
    InspectNames(lines, report);
    InspectDraws(lines, report);
    return report;
}

bool SomeCommandsFail(const ListReport& report)
{
    return report.state != ListState::Readable || report.lines < 1 || report.failingDraws > 0;
}

bool ListHasProblems(const ListReport& report)
{
    return SomeCommandsFail(report) || report.encoding != Encoding::Utf8 || report.carriageReturnsOnly ||
           report.onlyBlankNames;
}

std::string ReportAsText(const ListReport& report)
{
    std::ostringstream out;
    out << Escaped(PathText(report.path)) << ": ";
    if (report.state == ListState::Missing) {
        out << "not found; every command fails with two lines: \"Error: name database file couldn't be found in "
               "./Data/SFSE/Plugins. Aborting function call.\" and \"Error: int 'NameCount' is out of range. "
               "Aborting function call.\"\n";
        return out.str();
    }
    if (report.state == ListState::Unopenable) {
        out << "exists but cannot be opened (locked by another program, no permission, or a folder of that name);"
               " every command fails with \"Error: int 'NameCount' is out of range. Aborting function call.\"\n";
        return out.str();
    }
    out << Count(report.lines, "line", "lines") << ", " << Count(report.names, "name", "names") << "\n";
    TextEncoding(out, report.encoding);
    if (report.lines < 1)
        out << "  no lines: every command fails (\"Error: int 'NameCount' is out of range ...\")\n";
    if (report.carriageReturnsOnly)
        out << "  classic Mac line ends (CR only): to the game the whole list is one long name full of CRs.\n"
               "  Save it with Windows (CR LF) or Unix (LF) line ends, or run with --fix.\n";
    if (report.onlyBlankNames)
        out << "  every name is blanks only: the game shows empty-looking names\n";
    if (report.emptyLines > 0)
        out << "  empty lines: " << report.emptyLines << " (" << report.emptyLinesAtEnd << " at the end)\n";
    for (const auto& chance : report.favoured)
        out << "  more likely: " << Quoted(chance.name) << " (line " << chance.lineNumber << ") is drawn "
            << Percent(chance.drawnBy, report.lines) << " of the time, not " << Percent(1, report.lines) << "\n";
    if (report.failingDraws > 0)
        out << "  " << Percent(report.failingDraws, report.lines)
            << " of commands fail (\"Error: std::string 'sNewName' is empty ...\")\n";
    if (report.loneCarriageReturns > 0 && !report.carriageReturnsOnly)
        out << "  " << Count(report.loneCarriageReturns, "carriage return", "carriage returns")
            << " not followed by a line feed stay in the names\n";
    if (report.crLfLineEnds > 0 && report.lfLineEnds > 0)
        out << "  mixed line ends: " << report.crLfLineEnds << " CR LF, " << report.lfLineEnds << " LF\n";
    if (report.byteOrderMark)
        out << "  starts with a UTF-8 byte-order mark: it becomes part of the first name\n";
    if (report.nulBytes > 0)
        out << "  " << Count(report.nulBytes, "NUL byte", "NUL bytes") << ": a name ends at its first NUL\n";
    if (report.bytesAfterEndMark > 0)
        out << "  a 0x1A byte ends the list early: " << Count(report.bytesAfterEndMark, "byte", "bytes")
            << " after it are never read\n";
    TextList(out, "duplicate names", report.duplicates, kShownDuplicates);
    TextList(out, "names with leading or trailing blanks", report.blankEdged, kShownDuplicates);
    TextList(out, "names holding %", report.percentSigns, kShownDuplicates);
    if (!ListHasProblems(report))
        out << "  every command finds a name\n";
    return out.str();
}

std::string ReportAsJson(const ListReport& report)
{
    bool replaced = false;
    std::ostringstream out;
    out << "{\"path\": " << JsonString(PathText(report.path), replaced) << ", \"readable\": " << (report.state == ListState::Readable ? "true" : "false")
        << ", \"state\": \"" << StateName(report.state)
        << "\", \"encoding\": \"" << EncodingName(report.encoding) << "\", \"lines\": " << report.lines
        << ", \"names\": " << report.names << ", \"emptyLines\": " << report.emptyLines
        << ", \"emptyLinesAtEnd\": " << report.emptyLinesAtEnd << ", \"failingDraws\": " << report.failingDraws
        << ", \"carriageReturnsOnly\": " << (report.carriageReturnsOnly ? "true" : "false")
        << ", \"onlyBlankNames\": " << (report.onlyBlankNames ? "true" : "false")
        << ", \"someCommandsFail\": " << (SomeCommandsFail(report) ? "true" : "false")
        << ", \"hasProblems\": " << (ListHasProblems(report) ? "true" : "false") << ", \"favoured\": [";
    for (std::size_t i = 0; i < report.favoured.size(); ++i)
        out << (i > 0 ? ", " : "") << "{\"name\": " << JsonString(report.favoured[i].name, replaced)
            << ", \"line\": " << report.favoured[i].lineNumber << ", \"drawnBy\": " << report.favoured[i].drawnBy
            << "}";
    out << "], \"byteOrderMark\": " << (report.byteOrderMark ? "true" : "false")
        << ", \"crLfLineEnds\": " << report.crLfLineEnds << ", \"lfLineEnds\": " << report.lfLineEnds
        << ", \"loneCarriageReturns\": " << report.loneCarriageReturns << ", \"nulBytes\": " << report.nulBytes
        << ", \"endMark\": " << (report.endMark ? "true" : "false")
        << ", \"bytesAfterEndMark\": " << report.bytesAfterEndMark
        << ", \"duplicateCount\": " << report.duplicates.size()
        << ", \"duplicates\": " << JsonList(report.duplicates, kShownDuplicates, replaced)
        << ", \"blankEdged\": " << JsonList(report.blankEdged, SIZE_MAX, replaced)
        << ", \"percentSigns\": " << JsonList(report.percentSigns, SIZE_MAX, replaced);
    out << ", \"replacedInvalidUtf8\": " << (replaced ? "true" : "false") << "}\n";
    return out.str();
}
