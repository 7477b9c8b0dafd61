#pragma once

// What a name list will do in the game, found with the plugin's own reader.

#include "tools/namecheck/list_text.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace varnel {

struct NameChance {
    std::string name;
    std::int64_t lineNumber;  // the line that holds it
    std::int64_t drawnBy;     // how many of the NameCount line numbers give it
};

enum class ListState {
    Readable,
    Missing,     // nothing there: the plugin prints the missing-list line, then the NameCount line
    NotAFile,    // a folder, a pipe or a device: only the NameCount line
    Unopenable,  // a file that cannot be opened (locked, no permission): only the NameCount line
    ReadFailed,  // reading stopped part-way (a read error, memory): nothing is known of it
};

// Longer than this, a line is most likely several names: a list typed as
// "Anna, Bert, Cara", or lines an editor joined.
inline constexpr std::size_t kLongestLikelyName = 100;

struct LongLine {
    std::int64_t lineNumber;
    std::size_t bytes;
};

struct ListReport {
    std::filesystem::path path;
    ListState state = ListState::Missing;
    const char* notAFile = "";    // NotAFile: "a folder", "a pipe", "a device"
    Encoding encoding = Encoding::Utf8;
    bool carriageReturnsOnly = false;  // classic Mac line ends: one long name to the plugin
    std::int64_t lines = 0;       // NameCount
    std::int64_t names = 0;       // non-empty lines
    std::int64_t emptyLines = 0;
    std::int64_t emptyLinesAtEnd = 0;
    std::vector<std::int64_t> emptyLineNumbers;
    std::int64_t failingDraws = 0;  // line numbers that give no name
    std::vector<NameChance> favoured;  // names drawn by more than one line number
    // Bytes of the file.
    bool byteOrderMark = false;
    bool onlyByteOrderMark = false;  // the mark is the list's one name
    std::int64_t crLfLineEnds = 0;
    std::int64_t lfLineEnds = 0;
    std::int64_t loneCarriageReturns = 0;
    std::int64_t nulBytes = 0;
    std::int64_t bytesAfterEndMark = 0;  // bytes after a 0x1A, which are never read
    std::int64_t textAfterEndMark = 0;   // those of them that are not line ends
    bool endMark = false;
    // What the plugin's reader gives, line by line.
    std::vector<std::int64_t> carriageReturnLines;  // a CR stays in the name
    std::vector<std::int64_t> nulCutLines;          // text after a NUL, which the game never shows
    std::vector<std::int64_t> notUtf8Lines;         // bytes that are not UTF-8
    std::vector<std::int64_t> severalNameLines;     // a comma, semicolon or tab between words
    std::vector<NameChance> invisible;              // names the game shows as nothing (not blanks alone)
    // Names.
    std::vector<std::string> duplicates;
    std::vector<std::string> blankEdged;    // leading or trailing space or tab
    std::vector<std::string> percentSigns;
    std::vector<std::string> blankNames;     // only blanks or tabs: shown as empty-looking names
    std::vector<std::int64_t> blankNameLines;
    std::vector<std::pair<std::string, std::string>> caseVariants;  // "Anna", "anna": a note, not a problem
    std::vector<LongLine> longLines;         // over kLongestLikelyName bytes
};

ListReport ReportOnList(const std::filesystem::path& path);

// For each line number from 1, the index of the line that the plugin's
// ReadNameAt gives for it (the first non-empty line at or after it), or -1
// when it gives none.
std::vector<std::int64_t> LineGivenFor(const std::vector<std::string>& lines);

// True when some SetRandomName commands will fail with this list.
bool SomeCommandsFail(const ListReport& report);

// True when the list has a finding that is a problem: some commands fail,
// a name shows otherwise than its line reads, a line looks like several
// names, or some lines are drawn more often than others.
bool ListHasProblems(const ListReport& report);

// True when the list's findings stop at its encoding: read as UTF-16, every
// byte-level count would only restate it.
bool SavedAsUtf16(const ListReport& report);

// How many duplicate names a report shows before it says "and N more".
inline constexpr std::size_t kShownDuplicates = 5;

std::string ReportAsText(const ListReport& report);
// One JSON object for the report; a run prints them as one JSON document.
std::string ReportAsJson(const ListReport& report);

}  // namespace varnel
