#pragma once

// A cleaned copy of a name list: UTF-8 without byte-order mark, CR LF line
// ends, no empty or blank lines, exact duplicates removed, NUL and 0x1A
// bytes taken out of the text around them. Every change is reported with
// the lines it was made on, never silently.

#include <filesystem>
#include <string>

namespace varnel {

struct FixOutcome {
    bool written = false;
    std::string message;  // what was done, or why nothing was written; starts with the file it is about
};

// Never writes over `input`; refuses an `output` that exists unless `force`.
FixOutcome FixList(const std::filesystem::path& input, const std::filesystem::path& output, bool force);

}  // namespace varnel
