#include "tools/namecheck/list_fix.h"

#include "tools/namecheck/file_text.h"
#include "tools/namecheck/list_findings.h"

#include "tools/namecheck/list_report.h"
#include "tools/namecheck/list_text.h"

#include <fstream>
#include <set>
#include <vector>

namespace varnel {

namespace {

namespace fs = std::filesystem;

// What cleaning did, each with the lines (of the input, counted from 1) it
// happened on.
struct Cleaning {
    std::vector<std::string> names;
    std::vector<std::int64_t> blankLines;
    std::vector<std::int64_t> duplicates;
    std::vector<std::int64_t> carriageReturns;  // one entry per CR removed before a line end
    std::vector<std::int64_t> nulBytes;  // one entry per byte removed
    std::vector<std::int64_t> endMarks;  // one entry per 0x1A removed
};

// The list's text as UTF-8; false for text that is not UTF-8 or UTF-16.
bool AsUtf8(std::string& bytes, std::string& note)
{
    switch (DetectEncoding(bytes)) {
    case Encoding::Utf16WithMark: {
        const bool bigEndian = bytes[0] == '\xFE';
        bytes = Utf16ToUtf8(std::string_view(bytes).substr(2), bigEndian);
        note = "converted from UTF-16";
        return true;
    }
    case Encoding::Utf16NoMark: {
        const bool bigEndian = !bytes.empty() && bytes[0] == '\0';
        bytes = Utf16ToUtf8(bytes, bigEndian);
        note = "converted from UTF-16";
        return true;
    }
    case Encoding::NotUtf8:
        return false;
    case Encoding::Utf8:
        break;
    }
    if (bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
        bytes.erase(0, kByteOrderMark.size());
        note = "removed the byte-order mark (line 1)";
    }
    return true;
}

Cleaning Clean(const std::string& text)
{
    Cleaning cleaning;
    std::set<std::string> seen;
    std::string line;
    std::int64_t lineNumber = 1;
    auto endLine = [&] {
        if (line.find_first_not_of(" \t") == std::string::npos)
            cleaning.blankLines.push_back(lineNumber);
        else if (!seen.insert(line).second)
            cleaning.duplicates.push_back(lineNumber);
        else
            cleaning.names.push_back(line);
        line.clear();
        ++lineNumber;
    };
    // Any of LF, CR LF and a lone CR ends a line; CRs before a CR LF (an
    // editor's doubled line end) belong to it and go. A NUL or 0x1A byte
    // goes, and the text around it stays.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            std::size_t end = i;
            while (end < text.size() && text[end] == '\r')
                ++end;
            const bool beforeLineFeed = end < text.size() && text[end] == '\n';
            for (std::size_t extra = i + 1; beforeLineFeed && extra < end; ++extra)
                cleaning.carriageReturns.push_back(lineNumber);
            endLine();
            i = beforeLineFeed ? end : i;
        } else if (text[i] == '\0') {
            cleaning.nulBytes.push_back(lineNumber);
        } else if (text[i] == '\x1A') {
            cleaning.endMarks.push_back(lineNumber);
        } else {
            line += text[i];
        }
    }
    if (!line.empty())
        endLine();
    return cleaning;
}

// "dropped 2 blank lines (lines 3, 4), ...": every change, with where it was made.
std::string Changes(const Cleaning& cleaning, const std::string& note)
{
    std::string text;
    auto add = [&](const std::vector<std::int64_t>& at, const char* one, const char* many) {
        if (!at.empty())
            text += "; " + std::to_string(at.size()) + " " + (at.size() == 1 ? one : many) + " (" + LinesText(at) + ")";
    };
    add(cleaning.blankLines, "empty or blank line dropped", "empty or blank lines dropped");
    add(cleaning.duplicates, "duplicate dropped", "duplicates dropped");
    add(cleaning.carriageReturns, "carriage return removed", "carriage returns removed");
    add(cleaning.nulBytes, "NUL byte removed", "NUL bytes removed");
    add(cleaning.endMarks, "0x1A byte removed", "0x1A bytes removed");
    if (!note.empty())
        text += "; " + note;
    return text.empty() ? "; nothing else changed" : text;
}

// Why `input` cannot be fixed; empty when it can be read.
std::string InputProblem(const fs::path& input)
{
    std::error_code error;
    const fs::file_status status = fs::status(input, error);
    if (!fs::exists(status))
        return "not found";
    if (fs::is_directory(status))
        return "is a folder, not a list";
    if (!fs::is_regular_file(status))
        return "is not a list file (a pipe or a device)";
    return {};
}

FixOutcome Refused(const fs::path& about, const std::string& why)
{
    return {false, EscapedPath(about) + ": " + why + "; nothing written"};
}

}  // namespace

FixOutcome FixList(const fs::path& input, const fs::path& output, bool force)
{
    if (const std::string problem = InputProblem(input); !problem.empty())
        return Refused(input, problem);
    std::error_code error;
    if (fs::is_directory(output, error))
        return Refused(output, "is a folder: name the file to write");
    if (fs::exists(output, error) && fs::equivalent(input, output, error))
        return Refused(output, "is the list being fixed: name another file to write");
    if (fs::exists(output, error) && !force)
        return Refused(output, "exists already (add --force to replace it)");
    std::optional<std::string> read = ReadBytes(input);
    if (!read)
        return Refused(input, "cannot be opened (locked by another program, or no permission)");
    std::string bytes = std::move(*read);
    std::string note;
    if (!AsUtf8(bytes, note))
        return Refused(input, "is not UTF-8 and its code page is unknown: open it in an editor and save it as "
                              "UTF-8, then fix that copy");
    const Cleaning cleaning = Clean(bytes);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    for (const auto& name : cleaning.names)
        out << name << "\r\n";
    out.close();
    if (!out)
        return Refused(output, "cannot be written");
    const std::size_t count = cleaning.names.size();
    return {true, EscapedPath(output) + ": wrote " + std::to_string(count) + (count == 1 ? " name" : " names") +
                      " from " + EscapedPath(input) + ", UTF-8 with CR LF line ends" + Changes(cleaning, note)};
}

}  // namespace varnel
