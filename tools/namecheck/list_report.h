#pragma once

// What a name list will do in the game, found with the plugin's own reader.

#include "list_text.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct NameChance {
    std::string name;
    std::int64_t lineNumber;  // the line that holds it
    std::int64_t drawnBy;     // how many of the NameCount line numbers give it
};

enum class ListState {
    Readable,
    Missing,     // nothing there: the plugin prints the missing-list line, then the NameCount line
    Unopenable,  // there but cannot be opened (locked, no permission, a folder): only the NameCount line
};

struct ListReport {
    std::filesystem::path path;
    ListState state = ListState::Missing;
    Encoding encoding = Encoding::Utf8;
    bool carriageReturnsOnly = false;  // classic Mac line ends: one long name to the plugin
    bool onlyBlankNames = false;       // every name is blanks only
    std::int64_t lines = 0;       // NameCount
    std::int64_t names = 0;       // non-empty lines
    std::int64_t emptyLines = 0;
    std::int64_t emptyLinesAtEnd = 0;
    std::int64_t failingDraws = 0;  // line numbers that give no name
    std::vector<NameChance> favoured;  // names drawn by more than one line number
    // Bytes of the file.
    bool byteOrderMark = false;
    std::int64_t crLfLineEnds = 0;
    std::int64_t lfLineEnds = 0;
    std::int64_t loneCarriageReturns = 0;
    std::int64_t nulBytes = 0;
    std::int64_t bytesAfterEndMark = 0;  // bytes after a 0x1A, which are never read
    bool endMark = false;
    // Names.
    std::vector<std::string> duplicates;
    std::vector<std::string> blankEdged;    // leading or trailing space or tab
    std::vector<std::string> percentSigns;
};

ListReport ReportOnList(const std::filesystem::path& path);

// True when some SetRandomName commands will fail with this list.
bool SomeCommandsFail(const ListReport& report);

// True when some commands will fail, or the game will show wrong names.
bool ListHasProblems(const ListReport& report);

// How many duplicate names a report shows before it says "and N more".
inline constexpr std::size_t kShownDuplicates = 5;

std::string ReportAsText(const ListReport& report);
std::string ReportAsJson(const ListReport& report);
