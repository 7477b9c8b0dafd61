#include "list_report.h"

#include "names/name_list.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace {

std::string CutAtNul(const std::string& line) { return line.substr(0, line.find('\0')); }

bool HasBlankEdge(const std::string& name)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !name.empty() && (blank(name.front()) || blank(name.back()));
}

// Byte-level findings the line reader does not show.
void InspectBytes(const std::string& path, ListReport& report)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
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

std::string JsonList(const std::vector<std::string>& names)
{
    std::string json = "[";
    for (std::size_t i = 0; i < names.size(); ++i)
        json += (i > 0 ? ", " : "") + JsonString(names[i]);
    return json + "]";
}

void TextList(std::ostringstream& out, const char* what, const std::vector<std::string>& names)
{
    if (names.empty())
        return;
    out << "  " << what << ":";
    for (const auto& name : names)
        out << " " << Quoted(name);
    out << "\n";
}

}  // namespace

ListReport ReportOnList(const std::string& path)
{
    ListReport report;
    report.path = path;
    std::vector<std::string> lines;
    report.readable = ListExists(path) &&
                      VisitLinesOfList(path, [&](const std::string& line) { lines.push_back(line); });
    if (!report.readable)
        return report;
    report.lines = CountLinesOfList(path);
    InspectBytes(path, report);
    InspectNames(lines, report);
    InspectDraws(lines, report);
    return report;
}

bool SomeCommandsFail(const ListReport& report)
{
    return !report.readable || report.lines < 1 || report.failingDraws > 0;
}

std::string ReportAsText(const ListReport& report)
{
    std::ostringstream out;
    out << report.path << ": ";
    if (!report.readable) {
        out << "cannot be read; every command fails (\"Error: name database file couldn't be found ...\")\n";
        return out.str();
    }
    out << report.lines << " lines, " << report.names << " names\n";
    if (report.lines < 1)
        out << "  no lines: every command fails (\"Error: int 'NameCount' is out of range ...\")\n";
    if (report.emptyLines > 0)
        out << "  empty lines: " << report.emptyLines << " (" << report.emptyLinesAtEnd << " at the end)\n";
    for (const auto& chance : report.favoured)
        out << "  more likely: " << Quoted(chance.name) << " (line " << chance.lineNumber << ") is drawn "
            << Percent(chance.drawnBy, report.lines) << " of the time, not " << Percent(1, report.lines) << "\n";
    if (report.failingDraws > 0)
        out << "  " << Percent(report.failingDraws, report.lines)
            << " of commands fail (\"Error: std::string 'sNewName' is empty ...\")\n";
    if (report.loneCarriageReturns > 0)
        out << "  " << report.loneCarriageReturns << " carriage returns not followed by a line feed stay in the names\n";
    if (report.crLfLineEnds > 0 && report.lfLineEnds > 0)
        out << "  mixed line ends: " << report.crLfLineEnds << " CR LF, " << report.lfLineEnds << " LF\n";
    if (report.byteOrderMark)
        out << "  starts with a UTF-8 byte-order mark: it becomes part of the first name\n";
    if (report.nulBytes > 0)
        out << "  " << report.nulBytes << " NUL bytes: a name ends at its first NUL\n";
    if (report.bytesAfterEndMark > 0)
        out << "  a 0x1A byte ends the list early: " << report.bytesAfterEndMark << " bytes after it are never read\n";
    TextList(out, "duplicate names", report.duplicates);
    TextList(out, "names with leading or trailing blanks", report.blankEdged);
    TextList(out, "names holding %", report.percentSigns);
    if (!SomeCommandsFail(report))
        out << "  every command finds a name\n";
    return out.str();
}

std::string ReportAsJson(const ListReport& report)
{
    std::ostringstream out;
    out << "{\"path\": " << JsonString(report.path) << ", \"readable\": " << (report.readable ? "true" : "false")
        << ", \"lines\": " << report.lines << ", \"names\": " << report.names
        << ", \"emptyLines\": " << report.emptyLines << ", \"emptyLinesAtEnd\": " << report.emptyLinesAtEnd
        << ", \"failingDraws\": " << report.failingDraws
        << ", \"someCommandsFail\": " << (SomeCommandsFail(report) ? "true" : "false") << ", \"favoured\": [";
    for (std::size_t i = 0; i < report.favoured.size(); ++i)
        out << (i > 0 ? ", " : "") << "{\"name\": " << JsonString(report.favoured[i].name)
            << ", \"line\": " << report.favoured[i].lineNumber << ", \"drawnBy\": " << report.favoured[i].drawnBy
            << "}";
    out << "], \"byteOrderMark\": " << (report.byteOrderMark ? "true" : "false")
        << ", \"crLfLineEnds\": " << report.crLfLineEnds << ", \"lfLineEnds\": " << report.lfLineEnds
        << ", \"loneCarriageReturns\": " << report.loneCarriageReturns << ", \"nulBytes\": " << report.nulBytes
        << ", \"endMark\": " << (report.endMark ? "true" : "false")
        << ", \"bytesAfterEndMark\": " << report.bytesAfterEndMark
        << ", \"duplicates\": " << JsonList(report.duplicates) << ", \"blankEdged\": " << JsonList(report.blankEdged)
        << ", \"percentSigns\": " << JsonList(report.percentSigns) << "}\n";
    return out.str();
}
