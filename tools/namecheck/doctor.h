#pragma once

// The checker given a player's installation rather than lists: why
// SetRandomName is missing or failing, and what to do. One verdict with its
// action first, then each fact it rests on with where it was read.

#include "tools/namecheck/installation.h"
#include "tools/namecheck/list_report.h"
#include "tools/namecheck/verdicts.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace varnel {

struct Fact {
    std::string about;  // "Varnel.dll", "sfse.txt", ...
    std::string text;
    std::string from;   // the file or folder it was read from
};

struct Diagnosis {
    Status status = Status::Clear;
    std::string verdict;  // its key in the verdict table, "plugin-missing": the JSON's "verdict"
    std::string text;     // what it says, a sentence: the JSON's "text"
    std::string action;
    std::vector<Fact> facts;
    std::vector<ListReport> lists;
};

Diagnosis Diagnose(const Installation& installation);

std::string DiagnosisAsText(const Diagnosis& diagnosis);
std::string DiagnosisAsJson(const Diagnosis& diagnosis);

// Exit status 0, 1 or 2 as Status says.
int ExitStatusOf(const Diagnosis& diagnosis);

}  // namespace varnel
