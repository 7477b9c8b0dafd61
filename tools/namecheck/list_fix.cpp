#include "list_fix.h"

#include "list_text.h"

#include <fstream>
#include <set>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Cleaning {
    std::vector<std::string> names;
    std::size_t blankLines = 0;
    std::size_t duplicates = 0;
    std::size_t bytesAfterEndMark = 0;
    std::size_t cutAtNul = 0;
};

// The list's text as UTF-8; false for text that is not UTF-8 or UTF-16.
bool AsUtf8(std::string& bytes, std::string& note)
{
    switch (DetectEncoding(bytes)) {
    case Encoding::Utf16WithMark: {
        const bool bigEndian = bytes[0] == '\xFE';
        bytes = Utf16ToUtf8(std::string_view(bytes).substr(2), bigEndian);
        note = ", converted from UTF-16";
        return true;
    }
    case Encoding::Utf16NoMark: {
        const bool bigEndian = !bytes.empty() && bytes[0] == '\0';
        bytes = Utf16ToUtf8(bytes, bigEndian);
        note = ", converted from UTF-16";
        return true;
    }
    case Encoding::NotUtf8:
        return false;
    case Encoding::Utf8:
        break;
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes.erase(0, 3);
        note = ", byte-order mark removed";
    }
    return true;
}

Cleaning Clean(std::string text)
{
    Cleaning cleaning;
    if (const auto end = text.find('\x1A'); end != std::string::npos) {
        cleaning.bytesAfterEndMark = text.size() - end - 1;
        text.resize(end);
    }
    std::set<std::string> seen;
    std::string line;
    auto endLine = [&] {
        if (const auto nul = line.find('\0'); nul != std::string::npos) {
            line.resize(nul);
            ++cleaning.cutAtNul;
        }
        if (line.find_first_not_of(" \t") == std::string::npos)
            ++cleaning.blankLines;
        else if (!seen.insert(line).second)
            ++cleaning.duplicates;
        else
            cleaning.names.push_back(line);
        line.clear();
    };
    // Any of LF, CR LF and a lone CR ends a line.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            endLine();
            i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        } else {
            line += text[i];
        }
    }
    if (!line.empty())
        endLine();
    return cleaning;
}

std::string Dropped(const Cleaning& cleaning)
{
    std::string text;
    auto add = [&](std::size_t count, const char* one, const char* many) {
        if (count > 0)
            text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + (count == 1 ? one : many);
    };
    add(cleaning.blankLines, "empty or blank line", "empty or blank lines");
    add(cleaning.duplicates, "duplicate", "duplicates");
    add(cleaning.bytesAfterEndMark, "byte after a 0x1A (which ends the list for the game)",
        "bytes after a 0x1A (which ends the list for the game)");
    add(cleaning.cutAtNul, "name cut at a NUL byte", "names cut at a NUL byte");
    return text.empty() ? "nothing dropped" : "dropped " + text;
}

}  // namespace

FixOutcome FixList(const fs::path& input, const fs::path& output, bool force)
{
    std::error_code error;
    if (fs::exists(output, error) && fs::equivalent(input, output, error))
        return {false, "will not write over the list it is fixing: name another file"};
    if (fs::exists(output, error) && !force)
        return {false, "the output file exists already (add --force to replace it)"};
    std::optional<std::string> read = ReadBytes(input);
    if (!read)
        return {false, "cannot open the list"};
    std::string bytes = std::move(*read);
    std::string note;
    if (!AsUtf8(bytes, note))
        return {false, "the list is not UTF-8 and its code page is unknown: open it in an editor and save it as "
                       "UTF-8, then fix that copy"};
    const Cleaning cleaning = Clean(bytes);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    for (const auto& name : cleaning.names)
        out << name << "\r\n";
    out.close();
    if (!out)
        return {false, "cannot write the output file"};
    return {true, "wrote " + std::to_string(cleaning.names.size()) +
                      (cleaning.names.size() == 1 ? " name" : " names") + " (" + Dropped(cleaning) + note + ")"};
}
