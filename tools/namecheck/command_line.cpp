#include "command_line.h"

#include "list_fix.h"
#include "list_report.h"
#include "list_text.h"

#include "names/name_list.h"
#include "names/random_number.h"

#include <charconv>
#include <optional>
#include <string>

namespace varnel {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: Varnel_NameCheck [--json] LIST|FOLDER...\n"
    "       Varnel_NameCheck --fix OUT [--force] LIST\n"
    "       Varnel_NameCheck --sample N LIST\n"
    "Checks name lists as the plugin reads them. A FOLDER (such as the game's Data\\SFSE\\Plugins)\n"
    "stands for its FemaleNames.txt and MaleNames.txt. On Windows, drop lists or the Plugins folder\n"
    "onto Varnel_NameCheck.exe.\n"
    "--json    one JSON document with a report for each list\n"
    "--fix     writes a cleaned copy of LIST to OUT (UTF-8 without byte-order mark, CR LF, no empty,\n"
    "          blank or duplicate lines, no NUL or 0x1A bytes) and checks it\n"
    "--sample  prints N names (1 to 1000) picked as SetRandomName picks them\n"
    "Exit status: 0 every list is good; 1 a list will make some commands fail or show wrong\n"
    "names; 2 usage or I/O error.\n";

constexpr int kLargestSample = 1000;

struct Options {
    bool json = false;
    bool force = false;
    bool help = false;
    std::optional<fs::path> fixOutput;
    std::optional<int> sample;
    std::vector<fs::path> lists;
    std::string problem;  // a usage error
};

std::optional<int> SampleSize(const std::string& text)
{
    int size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || size < 1 || size > kLargestSample)
        return std::nullopt;
    return size;
}

// Reads an option that takes a value; false, with the problem set, when it is missing or bad.
bool TakeValue(Options& options, const std::vector<fs::path>& arguments, std::size_t& i)
{
    const std::string option = PathText(arguments[i]);
    if (i + 1 == arguments.size()) {
        options.problem = option + " needs a value";
        return false;
    }
    const fs::path& value = arguments[++i];
    if (option == "--fix") {
        options.fixOutput = value;
        return true;
    }
    options.sample = SampleSize(PathText(value));
    if (!options.sample)
        options.problem = "--sample takes a number of names from 1 to " + std::to_string(kLargestSample) + ", not '" +
                          Escaped(PathText(value)) + "'";
    return options.sample.has_value();
}

Options Parse(const std::vector<fs::path>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string argument = PathText(arguments[i]);
        if (argument == "--json") {
            options.json = true;
        } else if (argument == "--force") {
            options.force = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--fix" || argument == "--sample") {
            if (!TakeValue(options, arguments, i))
                return options;
        } else if (argument == "--") {
            options.lists.insert(options.lists.end(), arguments.begin() + static_cast<long>(i) + 1, arguments.end());
            break;
        } else if (argument.size() > 1 && argument[0] == '-') {
            options.problem = "unknown option '" + Escaped(argument) + "'";
            return options;
        } else {
            options.lists.push_back(arguments[i]);
        }
    }
    if (options.lists.empty())
        options.problem = "no list named";
    else if (options.fixOutput && options.sample)
        options.problem = "--fix and --sample go separately";
    else if ((options.fixOutput || options.sample) && options.lists.size() != 1)
        options.problem = std::string(options.fixOutput ? "--fix" : "--sample") + " takes exactly one list";
    return options;
}

// A folder stands for the two lists in it.
std::vector<fs::path> ListsOf(const fs::path& argument)
{
    std::error_code error;
    if (!fs::is_directory(argument, error))
        return {argument};
    return {argument / kFemaleNamesFile, argument / kMaleNamesFile};
}

int Check(const std::vector<fs::path>& paths, bool json, std::ostream& out)
{
    bool problems = false;
    bool unread = false;
    std::string document;
    for (const auto& argument : paths) {
        for (const auto& path : ListsOf(argument)) {
            const ListReport report = ReportOnList(path);
            problems = problems || ListHasProblems(report);
            unread = unread || report.state == ListState::ReadFailed;
            if (json)
                document += (document.empty() ? "{\"lists\": [\n  " : ",\n  ") + ReportAsJson(report);
            else
                out << ReportAsText(report);
        }
    }
    if (json)
        out << document << "\n]}\n";
    return unread ? 2 : problems ? 1 : 0;
}

// N names picked as the command picks them: NameCount, the random number,
// the name at it; or the plain check's verdict when commands would fail.
int Sample(const fs::path& list, int size, std::ostream& out)
{
    const ListReport report = ReportOnList(list);
    if (SomeCommandsFail(report)) {
        out << ReportAsText(report);
        return report.state == ListState::ReadFailed ? 2 : 1;
    }
    const std::string path = PathText(list);
    for (int i = 0; i < size; ++i) {
        const std::string name = ReadNameAtInFile(path, DrawRandomNumber(CountNamesInFile(path)));
        if (name.empty()) {
            out << ShownPath(path) << ": could not be read to its end; run it again\n";
            return 2;
        }
        out << Escaped(name) << "\n";
    }
    return 0;
}

}  // namespace

int RunNameCheck(const std::vector<fs::path>& arguments, std::ostream& out, std::ostream& err)
{
    const Options options = Parse(arguments);
    // Nothing named (a double-click on the program): how to use it.
    if (arguments.empty()) {
        out << kUsage;
        return 2;
    }
    if (options.help) {
        out << kUsage;
        return 0;
    }
    if (!options.problem.empty()) {
        err << "Varnel_NameCheck: " << options.problem << "\n" << kUsage;
        return 2;
    }
    if (options.sample)
        return Sample(options.lists.front(), *options.sample, out);
    if (options.fixOutput) {
        const FixOutcome fixed = FixList(options.lists.front(), *options.fixOutput, options.force);
        err << "Varnel_NameCheck: " << fixed.message << "\n";
        if (!fixed.written)
            return 2;
        return Check({*options.fixOutput}, options.json, out);
    }
    return Check(options.lists, options.json, out);
}

bool WaitBeforeClosing(unsigned processesOnConsole, bool outputToConsole)
{
    return processesOnConsole == 1 && outputToConsole;
}

}  // namespace varnel
