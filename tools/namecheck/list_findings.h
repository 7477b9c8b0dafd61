#pragma once

// Every finding the checker can make, in one table: what it is, whether it
// is a problem (some command fails, a name shows otherwise than its line
// reads, a line looks like several names, or the draw is uneven) or a note
// (the game shows every name as its line reads), what to do, and whether
// --fix mends it. The text, the JSON, --help and the exit status all come
// from this table.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

struct ListReport;

enum class Finding {
    Missing,
    NotAFile,
    Unopenable,
    NoLines,
    Utf16,
    NotUtf8,
    ByteOrderMark,
    CarriageReturns,
    NulBytes,
    TextAfterEndMark,
    BlankNames,
    InvisibleNames,
    SeveralNames,
    LongLines,
    EmptyLines,
    FavouredNames,
    CommandsFail,
    Duplicates,
    CaseVariants,
    BlankEdges,
    PercentSigns,
    MixedLineEnds,
    OtherFileName,
};

struct FindingKind {
    Finding finding;
    bool problem;        // false: a note
    bool fixMends;       // --fix mends it
    const char* key;     // its name in the JSON
    const char* what;    // what it is, for --help
    const char* action;  // what to do about it
};

extern const FindingKind kFindingKinds[];
extern const std::size_t kFindingKindCount;

const FindingKind& KindOf(Finding finding);

// One finding about one list: its kind and what exactly was found.
struct Found {
    Finding finding;
    std::string detail;
};

// The findings of a report, problems first, each kind once.
std::vector<Found> FindingsOf(const ListReport& report);

// "Problems (exit status 1): ..." and "Notes (exit status 0): ...", one
// line each, for --help.
std::string FindingsHelp();

// "line 3" or "lines 2, 5, 9 and 4 more".
std::string LinesText(const std::vector<std::int64_t>& lines);

}  // namespace varnel
