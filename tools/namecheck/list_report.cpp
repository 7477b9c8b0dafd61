#include "list_report.h"

#include "names/list_file.h"
#include "names/name_list.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <new>
#include <optional>
#include <sstream>

namespace varnel {

namespace {

std::string CutAtNul(const std::string& line) { return line.substr(0, line.find('\0')); }

bool HasBlankEdge(const std::string& name)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !name.empty() && (blank(name.front()) || blank(name.back()));
}

ListReport ReadFailed(ListReport report)
{
    ListReport failed;
    failed.path = std::move(report.path);
    failed.state = ListState::ReadFailed;
    return failed;
}

// Byte-level findings the line reader does not show; false when the bytes
// cannot be read.
bool InspectBytes(const std::filesystem::path& path, ListReport& report)
{
    const std::optional<std::string> read = ReadBytes(path);
    if (!read)
        return false;
    const std::string& bytes = *read;
    report.encoding = DetectEncoding(bytes);
    const std::size_t end = std::min(bytes.find('\x1A'), bytes.size());
    report.endMark = end < bytes.size();
    report.bytesAfterEndMark = static_cast<std::int64_t>(report.endMark ? bytes.size() - end - 1 : 0);
    report.byteOrderMark = bytes.compare(0, 3, kByteOrderMark) == 0;
    for (std::size_t i = 0; i < end; ++i) {
        const bool crBeforeLf = bytes[i] == '\r' && i + 1 < end && bytes[i + 1] == '\n';
        report.crLfLineEnds += crBeforeLf ? 1 : 0;
        report.loneCarriageReturns += bytes[i] == '\r' && !crBeforeLf ? 1 : 0;
        report.lfLineEnds += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r') ? 1 : 0;
        report.nulBytes += bytes[i] == '\0' ? 1 : 0;
    }
    report.carriageReturnsOnly = report.loneCarriageReturns > 0 && report.lfLineEnds == 0 && report.crLfLineEnds == 0;
    return true;
}

std::string AsciiLowerCase(std::string text)
{
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

bool OnlyBlanks(const std::string& name) { return name.find_first_not_of(" \t") == std::string::npos; }

void InspectNames(const std::vector<std::string>& lines, ListReport& report)
{
    std::map<std::string, int> seen;
    std::map<std::string, std::string> firstSpelling;  // by letters without case
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) {
            ++report.emptyLines;
            continue;
        }
        ++report.names;
        report.onlyByteOrderMark = report.names == 1 && line == kByteOrderMark;
        if (line.size() > kLongestLikelyName)
            report.longLines.push_back({static_cast<std::int64_t>(i) + 1, line.size()});
        const std::string name = CutAtNul(line);
        if (++seen[name] == 2)
            report.duplicates.push_back(name);
        if (!name.empty() && OnlyBlanks(name)) {
            report.blankNames.push_back(name);
            continue;
        }
        if (HasBlankEdge(name))
            report.blankEdged.push_back(name);
        if (name.find('%') != std::string::npos)
            report.percentSigns.push_back(name);
        const auto [spelling, added] = firstSpelling.emplace(AsciiLowerCase(name), name);
        if (!added && spelling->second != name && seen[name] == 1)
            report.caseVariants.emplace_back(spelling->second, name);
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
    case ListState::NotAFile:
        return "not-a-file";
    case ListState::Unopenable:
        return "unopenable";
    case ListState::ReadFailed:
        return "read-failed";
    }
    return "unknown";
}

constexpr const char* kNameCountLine = "\"Error: int 'NameCount' is out of range. Aborting function call.\"";

// The verdict on a list that could not be read; empty for a readable one.
std::string UnreadVerdict(const ListReport& report)
{
    switch (report.state) {
    case ListState::Readable:
        return {};
    case ListState::Missing:
        return "not found; every command fails with two lines: \"Error: name database file couldn't be found in "
               "./Data/SFSE/Plugins. Aborting function call.\" and " + std::string(kNameCountLine) + "\n";
    case ListState::NotAFile:
        return std::string("is ") + report.notAFile + ", not a list file; every command fails with " +
               kNameCountLine + "\n";
    case ListState::Unopenable:
        return std::string("exists but cannot be opened (locked by another program, or no permission); every "
                           "command fails with ") + kNameCountLine + "\n";
    case ListState::ReadFailed:
        return "could not be read to its end (a read error, or memory ran out); nothing can be said about it: "
               "run the check again\n";
    }
    return {};
}

void TextEncoding(std::ostringstream& out, Encoding encoding)
{
    if (encoding == Encoding::Utf16WithMark || encoding == Encoding::Utf16NoMark)
        out << "saved as UTF-16 (Notepad's \"Unicode\"): the game cuts every name at its first NUL byte, so the\n"
               "  names show as single letters or fragments, or not at all. Save it as UTF-8, or run with --fix.\n";
    else if (encoding == Encoding::NotUtf8)
        out << "  not UTF-8 (saved in an old Windows code page?): letters beyond plain ASCII show as wrong\n"
               "  letters in the game. Open it in an editor and save it as UTF-8.\n";
}

void TextLineEnds(std::ostringstream& out, const ListReport& report)
{
    if (report.carriageReturnsOnly)
        out << "  classic Mac line ends (CR only): to the game the whole list is one long name full of CRs.\n"
               "  Save it with Windows (CR LF) or Unix (LF) line ends, or run with --fix.\n";
    if (report.loneCarriageReturns > 0 && !report.carriageReturnsOnly)
        out << "  " << Count(report.loneCarriageReturns, "carriage return", "carriage returns")
            << (report.loneCarriageReturns == 1 ? " not followed by a line feed stays in its name\n"
                                                : " not followed by a line feed stay in the names\n");
    if (report.crLfLineEnds > 0 && report.lfLineEnds > 0)
        out << "  mixed line ends: " << report.crLfLineEnds << " CR LF, " << report.lfLineEnds << " LF\n";
}

void TextBytes(std::ostringstream& out, const ListReport& report)
{
    if (report.byteOrderMark)
        out << (report.onlyByteOrderMark ? "  holds nothing but a UTF-8 byte-order mark: every command gives the "
                                           "mark itself as the name, which the game shows as an invisible name."
                                         : "  starts with a UTF-8 byte-order mark: the game shows the first name with "
                                           "an invisible mark in front of it.")
            << "\n  Save it as \"UTF-8\", not \"UTF-8 with BOM\", or run with --fix.\n";
    if (report.nulBytes > 0)
        out << "  " << Count(report.nulBytes, "NUL byte", "NUL bytes") << ": a name ends at its first NUL\n";
    if (report.bytesAfterEndMark > 0)
        out << "  a 0x1A byte ends the list early: " << Count(report.bytesAfterEndMark, "byte", "bytes")
            << (report.bytesAfterEndMark == 1 ? " after it is never read\n" : " after it are never read\n");
}

void TextDraws(std::ostringstream& out, const ListReport& report)
{
    if (report.lines < 1)
        out << "  no lines: every command fails (" << kNameCountLine << ")\n";
    if (report.emptyLines > 0)
        out << "  " << Count(report.emptyLines, "empty line", "empty lines") << " ("
            << report.emptyLinesAtEnd << " at the end)\n";
    // A fair share is one name's: one over the number of names.
    for (const auto& chance : report.favoured)
        out << "  more likely: " << Quoted(chance.name) << " (line " << chance.lineNumber << ") is drawn "
            << Percent(chance.drawnBy, report.lines) << " of the time, not " << Percent(1, report.names) << "\n";
    if (report.failingDraws > 0)
        out << "  " << Percent(report.failingDraws, report.lines)
            << " of commands fail (\"Error: std::string 'sNewName' is empty ...\")\n";
}

void TextNames(std::ostringstream& out, const ListReport& report)
{
    for (const auto& line : report.longLines)
        out << "  line " << line.lineNumber << " is " << line.bytes << " bytes long: most likely several names on "
               "one line (\"Anna, Bert, Cara\", or lines an editor joined). The game would show the whole line as "
               "one name and keep it in the save: put one name on each line.\n";
    if (!report.blankNames.empty())
        out << "  " << Count(static_cast<std::int64_t>(report.blankNames.size()), "name is", "names are")
            << " only blanks or tabs: the game shows an empty-looking name (--fix drops "
            << (report.blankNames.size() == 1 ? "it" : "them") << ")\n";
    TextList(out, "duplicate names", report.duplicates, kShownDuplicates);
    TextList(out, "names with leading or trailing blanks", report.blankEdged, kShownDuplicates);
    TextList(out, "names holding %", report.percentSigns, kShownDuplicates);
    if (!report.caseVariants.empty()) {
        out << "  note: names that differ only in letter case (" << report.caseVariants.size() << "):";
        for (std::size_t i = 0; i < std::min(kShownDuplicates, report.caseVariants.size()); ++i)
            out << " " << Quoted(report.caseVariants[i].first) << "/" << Quoted(report.caseVariants[i].second);
        if (report.caseVariants.size() > kShownDuplicates)
            out << " and " << report.caseVariants.size() - kShownDuplicates << " more";
        out << "\n";
    }
}

}  // namespace

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

std::string PathText(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

ListReport ReportOnList(const std::filesystem::path& path)
{
    ListReport report;
    try {
        report.path = path;
        const std::string utf8Path = PathText(path);
        if (!ListFileExists(utf8Path))
            return report;
        // Only regular files are read: a pipe would never end.
        std::error_code error;
        const auto type = std::filesystem::status(path, error).type();
        if (type != std::filesystem::file_type::regular && !error) {
            report.state = ListState::NotAFile;
            report.notAFile = type == std::filesystem::file_type::directory ? "a folder"
                              : type == std::filesystem::file_type::fifo    ? "a pipe"
                                                                            : "a device";
            return report;
        }
        ListFile file;
        const bool opened = OpenListFile(utf8Path, file);
        CloseListFile(file);
        if (!opened) {
            report.state = ListState::Unopenable;
            return report;
        }
        std::vector<std::string> lines;
        if (!VisitLinesInFile(utf8Path, [&](const std::string& line) { lines.push_back(line); }))
            return ReadFailed(std::move(report));
        report.state = ListState::Readable;
        // NameCount as the plugin counts; it gives 0 when a read fails, so
        // it must agree with the lines just read.
        report.lines = CountNamesInFile(utf8Path);
        if (report.lines != static_cast<std::int64_t>(lines.size()) || !InspectBytes(path, report))
            return ReadFailed(std::move(report));
        InspectNames(lines, report);
        InspectDraws(lines, report);
        return report;
    } catch (const std::bad_alloc&) {
        return ReadFailed(std::move(report));
    }
}

bool SavedAsUtf16(const ListReport& report)
{
    return report.encoding == Encoding::Utf16WithMark || report.encoding == Encoding::Utf16NoMark;
}

bool SomeCommandsFail(const ListReport& report)
{
    return report.state != ListState::Readable || report.lines < 1 || report.failingDraws > 0;
}

bool ListHasProblems(const ListReport& report)
{
    return SomeCommandsFail(report) || report.encoding != Encoding::Utf8 || report.carriageReturnsOnly ||
           report.byteOrderMark || !report.blankNames.empty() || !report.longLines.empty();
}

std::string ReportAsText(const ListReport& report)
{
    std::ostringstream out;
    out << ShownPath(PathText(report.path)) << ": ";
    if (report.state != ListState::Readable) {
        out << UnreadVerdict(report);
        return out.str();
    }
    if (SavedAsUtf16(report)) {
        TextEncoding(out, report.encoding);
        return out.str();
    }
    out << Count(report.lines, "line", "lines") << ", " << Count(report.names, "name", "names") << "\n";
    TextEncoding(out, report.encoding);
    TextLineEnds(out, report);
    TextBytes(out, report);
    TextDraws(out, report);
    TextNames(out, report);
    if (!ListHasProblems(report))
        out << "  every command finds a name\n";
    return out.str();
}

std::string ReportAsJson(const ListReport& report)
{
    bool replaced = false;
    std::ostringstream out;
    out << "{\"path\": " << JsonString(PathText(report.path), replaced)
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
    out << "], \"replacedInvalidUtf8\": " << (replaced ? "true" : "false") << "}";
    return out.str();
}

}  // namespace varnel
