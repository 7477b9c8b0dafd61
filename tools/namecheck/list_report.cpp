#include "tools/namecheck/list_report.h"

#include "tools/namecheck/file_text.h"
#include "tools/namecheck/list_findings.h"

#include "src/names/list_file.h"
#include "src/names/name_list.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <new>
#include <optional>
#include <sstream>

namespace varnel {

namespace {

std::string CutAtNul(const std::string& line) { return line.substr(0, line.find('\0')); }

// Characters that take no room (a soft hyphen, zero-width spaces and
// joiners, direction marks, the word joiner, the byte-order mark, as UTF-8):
// a blank beside them at a name's end is still at its edge.
constexpr std::string_view kNoRoom[] = {"\xC2\xAD",     "\xE2\x80\x8B", "\xE2\x80\x8C", "\xE2\x80\x8D",
                                        "\xE2\x80\x8E", "\xE2\x80\x8F", "\xE2\x81\xA0", "\xEF\xBB\xBF"};

std::string_view WithoutNoRoomEdges(std::string_view name)
{
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (const std::string_view mark : kNoRoom) {
            while (name.starts_with(mark) || name.ends_with(mark)) {
                name = name.starts_with(mark) ? name.substr(mark.size()) : name.substr(0, name.size() - mark.size());
                trimmed = true;
            }
        }
    }
    return name;
}

bool HasBlankEdge(const std::string& name)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const std::string_view shown = WithoutNoRoomEdges(name);
    return !shown.empty() && (blank(shown.front()) || blank(shown.back()));
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
    report.textAfterEndMark = report.endMark ? static_cast<std::int64_t>(std::count_if(
                                                   bytes.begin() + static_cast<std::ptrdiff_t>(end) + 1, bytes.end(),
                                                   [](char c) { return c != '\r' && c != '\n'; }))
                                             : 0;
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

bool OnlyBlanks(const std::string& name) { return name.find_first_not_of(" \t") == std::string::npos; }

// Characters the game shows as nothing: blanks, no-break and zero-width
// spaces, joiners, the byte-order mark, a soft hyphen (as UTF-8).
bool StartsInvisible(const std::string& name, std::size_t at, std::size_t& length)
{
    static const char* const kInvisible[] = {" ", "\t", "\xC2\xA0", "\xC2\xAD", "\xE2\x80\x80", "\xE2\x80\x81",
                                             "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85",
                                             "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89",
                                             "\xE2\x80\x8A", "\xE2\x80\x8B", "\xE2\x80\x8C", "\xE2\x80\x8D",
                                             "\xE2\x80\x8E", "\xE2\x80\x8F", "\xE2\x80\xAF", "\xE2\x81\x9F",
                                             "\xE2\x81\xA0", "\xE3\x80\x80", "\xEF\xBB\xBF"};
    for (const char* mark : kInvisible) {
        const std::string_view text(mark);
        if (name.compare(at, text.size(), text) == 0) {
            length = text.size();
            return true;
        }
    }
    return false;
}

bool ShowsAsNothing(const std::string& name)
{
    std::size_t length = 0;
    for (std::size_t at = 0; at < name.size(); at += length) {
        if (!StartsInvisible(name, at, length))
            return false;
    }
    return true;
}

// A comma, semicolon or tab with text on both sides: "Anna, Bert", "Anna\tMaria".
bool LooksLikeSeveralNames(const std::string& name)
{
    const std::size_t first = name.find_first_not_of(" \t");
    const std::size_t last = name.find_last_not_of(" \t");
    if (first == std::string::npos)
        return false;
    const std::size_t separator = name.find_first_of(",;\t", first);
    return separator != std::string::npos && separator < last;
}

void InspectLine(const std::string& line, std::int64_t number, ListReport& report)
{
    if (line.find('\r') != std::string::npos)
        report.carriageReturnLines.push_back(number);
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos && line.find_first_not_of('\0', nul) != std::string::npos)
        report.nulCutLines.push_back(number);
    bool replaced = false;
    ValidUtf8(line, replaced);
    if (replaced)
        report.notUtf8Lines.push_back(number);
}

void InspectNames(const std::vector<std::string>& lines, ListReport& report)
{
    std::map<std::string, int> seen;
    std::map<std::string, std::string> firstSpelling;  // by letters without case
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const auto number = static_cast<std::int64_t>(i) + 1;
        if (line.empty()) {
            ++report.emptyLines;
            report.emptyLineNumbers.push_back(number);
            continue;
        }
        ++report.names;
        report.onlyByteOrderMark = report.names == 1 && line == kByteOrderMark;
        InspectLine(line, number, report);
        if (line.size() > kLongestLikelyName)
            report.longLines.push_back({number, line.size()});
        const std::string name = CutAtNul(line);
        if (++seen[name] == 2)
            report.duplicates.push_back(name);
        if (!name.empty() && OnlyBlanks(name)) {
            report.blankNames.push_back(name);
            report.blankNameLines.push_back(number);
            continue;
        }
        if (!name.empty() && ShowsAsNothing(name))
            report.invisible.push_back({name, number, 0});
        if (LooksLikeSeveralNames(name))
            report.severalNameLines.push_back(number);
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
    for (auto& name : report.invisible)
        name.drawnBy = drawnBy[name.lineNumber - 1];
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

ListReport ReportOnList(const std::filesystem::path& path)
{
    ListReport report;
    try {
        report.path = path;
        const std::string utf8Path = PathAsUtf8(path);
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
    const std::vector<Found> found = FindingsOf(report);
    return std::any_of(found.begin(), found.end(), [](const Found& f) { return KindOf(f.finding).problem; });
}

}  // namespace varnel
