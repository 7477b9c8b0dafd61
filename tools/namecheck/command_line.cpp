#include "command_line.h"

#include "list_fix.h"
#include "list_report.h"

#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: namecheck [--json] LIST|FOLDER...\n"
    "       namecheck --fix OUT [--force] LIST\n"
    "Checks name lists as the plugin reads them. A FOLDER (such as the game's Data\\SFSE\\Plugins)\n"
    "stands for its FemaleNames.txt and MaleNames.txt. --fix writes a cleaned copy of LIST to OUT\n"
    "(UTF-8, CR LF, no empty lines or duplicates) and checks it.\n"
    "Exit status: 0 every list is good; 1 a list will make some commands fail or show wrong\n"
    "names; 2 usage or I/O error.\n";

struct Options {
    bool json = false;
    bool force = false;
    bool help = false;
    std::optional<fs::path> fixOutput;
    std::vector<fs::path> lists;
    std::string problem;  // a usage error
};

std::string Text(const fs::path& path)
{
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

Options Parse(const std::vector<fs::path>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string argument = Text(arguments[i]);
        if (argument == "--json") {
            options.json = true;
        } else if (argument == "--force") {
            options.force = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--fix" && i + 1 < arguments.size()) {
            options.fixOutput = arguments[++i];
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
    else if (options.fixOutput && options.lists.size() != 1)
        options.problem = "--fix takes exactly one list";
    return options;
}

// A folder stands for the two lists in it.
std::vector<fs::path> ListsOf(const fs::path& argument)
{
    std::error_code error;
    if (!fs::is_directory(argument, error))
        return {argument};
    return {argument / "FemaleNames.txt", argument / "MaleNames.txt"};
}

int Check(const std::vector<fs::path>& paths, bool json, std::ostream& out)
{
    bool problems = false;
    for (const auto& argument : paths) {
        for (const auto& path : ListsOf(argument)) {
            const ListReport report = ReportOnList(path);
            problems = problems || ListHasProblems(report);
            out << (json ? ReportAsJson(report) : ReportAsText(report));
        }
    }
    return problems ? 1 : 0;
}

}  // namespace

int RunNameCheck(const std::vector<fs::path>& arguments, std::ostream& out, std::ostream& err)
{
    const Options options = Parse(arguments);
    if (options.help) {
        out << kUsage;
        return 0;
    }
    if (!options.problem.empty()) {
        err << "namecheck: " << options.problem << "\n" << kUsage;
        return 2;
    }
    if (options.fixOutput) {
        const FixOutcome fixed = FixList(options.lists.front(), *options.fixOutput, options.force);
        err << "namecheck: " << Escaped(Text(*options.fixOutput)) << ": " << fixed.message << "\n";
        if (!fixed.written)
            return 2;
        return Check({*options.fixOutput}, options.json, out);
    }
    return Check(options.lists, options.json, out);
}
