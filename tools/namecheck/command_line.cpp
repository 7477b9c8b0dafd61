#include "tools/namecheck/command_line.h"

#include "tools/namecheck/doctor.h"
#include "tools/namecheck/file_text.h"
#include "tools/namecheck/installation.h"
#include "tools/namecheck/list_findings.h"
#include "tools/namecheck/list_fix.h"
#include "tools/namecheck/list_report.h"
#include "tools/namecheck/list_text.h"

#include "src/names/name_list.h"
#include "src/names/random_number.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

namespace varnel {

namespace {

namespace fs = std::filesystem;

constexpr const char* kDropHint =
    "Drop a name list, or the game's folder (the one holding Starfield.exe), onto this program's icon to check it.\n\n";

constexpr const char* kUsage =
    "usage: Varnel_NameCheck [--json] [--logs LOGS] GAME|PLUGINS|MO2|sfse.txt|Varnel.log\n"
    "       Varnel_NameCheck [--json] LIST|FOLDER...\n"
    "       Varnel_NameCheck --fix OUT [--force] LIST\n"
    "       Varnel_NameCheck --sample N LIST|FOLDER\n"
    "Given the game's folder (holding Starfield.exe), its Data\\SFSE\\Plugins, a Mod Organizer 2 instance\n"
    "(holding ModOrganizer.ini), or SFSE's sfse.txt or the plugin's Varnel.log: why SetRandomName is\n"
    "missing or failing and what to do, from the game's files, SFSE's, its loader's and SFSE's logs, the\n"
    "plugin, its log and the lists; exit status 0 nothing stands in the way, 1 something does, 2 a file\n"
    "could not be read. The logs are found in Documents\\My Games\\Starfield\\SFSE\\Logs (on Linux in\n"
    "Steam's Proton prefix beside the game's steamapps\\common); --logs names that folder.\n"
    "Checks name lists as the plugin reads them: will every command show a name exactly as its line\n"
    "reads in an editor, each line as likely as the next? A FOLDER (such as the game's\n"
    "Data\\SFSE\\Plugins) stands for its FemaleNames.txt and MaleNames.txt. On Windows, drop lists or\n"
    "the Plugins folder onto Varnel_NameCheck.exe.\n"
    "--json    one JSON document with a report for each list\n"
    "--fix     writes a cleaned copy of LIST to the file OUT (UTF-8 without byte-order mark, CR LF, no\n"
    "          empty, blank or duplicate lines, no NUL or 0x1A bytes) and checks it\n"
    "--sample  prints N names (1 to 1000) picked as SetRandomName picks them\n"
    "Exit status: 0 every list shows its names as they read (notes may remain); 1 a list has a\n"
    "problem: some commands fail, a name will show wrong, a line looks like several names, or the\n"
    "draw is uneven; 2 usage or I/O error.\n";

constexpr int kLargestSample = 1000;

struct Options {
    bool json = false;
    bool force = false;
    bool help = false;
    std::optional<fs::path> fixOutput;
    std::optional<fs::path> logs;
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
    const std::string option = PathAsUtf8(arguments[i]);
    if (i + 1 == arguments.size()) {
        options.problem = option + " needs a value";
        return false;
    }
    const fs::path& value = arguments[++i];
    if (option == "--fix" || option == "--logs") {
        (option == "--fix" ? options.fixOutput : options.logs) = value;
        return true;
    }
    options.sample = SampleSize(PathAsUtf8(value));
    if (!options.sample)
        options.problem = "--sample takes a number of names from 1 to " + std::to_string(kLargestSample) + ", not '" +
                          Escaped(PathAsUtf8(value)) + "'";
    return options.sample.has_value();
}

Options Parse(const std::vector<fs::path>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string argument = PathAsUtf8(arguments[i]);
        if (argument == "--json") {
            options.json = true;
        } else if (argument == "--force") {
            options.force = true;
        } else if (argument == "--help" || argument == "-h" || argument == "/?") {
            options.help = true;
        } else if (argument == "--fix" || argument == "--sample" || argument == "--logs") {
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
    else if (options.logs && (options.lists.size() != 1 || !NamesInstallation(options.lists.front())))
        options.problem = "--logs goes with one game folder, its Data\\SFSE\\Plugins, a Mod Organizer 2 instance, sfse.txt or Varnel.log";
    else if (options.logs && !Exists(*options.logs))
        options.problem = "--logs: " + EscapedPath(*options.logs) + " does not exist";
    else if (options.fixOutput && options.sample)
        options.problem = "--fix and --sample go separately";
    else if (options.json && options.sample)
        options.problem = "--json and --sample go separately: --sample prints names, one on each line";
    else if ((options.fixOutput || options.sample) && options.lists.size() != 1)
        options.problem = std::string(options.fixOutput ? "--fix" : "--sample") + " takes exactly one list" +
                          (options.sample ? " or folder" : "");
    return options;
}

// A folder stands for the two lists in it.
std::vector<fs::path> ListsOf(const fs::path& argument)
{
    if (!IsFolder(argument))
        return {argument};
    return {argument / kFemaleNamesFile, argument / kMaleNamesFile};
}

// A folder that holds neither list: most likely not the one meant. What it
// holds instead, so that those files can be dropped themselves.
std::optional<std::string> FolderWithoutLists(const fs::path& folder)
{
    std::error_code error;
    if (!IsFolder(folder) || fs::exists(folder / kFemaleNamesFile, error) || fs::exists(folder / kMaleNamesFile, error))
        return std::nullopt;
    std::string texts;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".txt")
            texts += (texts.empty() ? " " : ", ") + Escaped(PathAsUtf8(entry.path().filename()));
    }
    return EscapedPath(folder) + ": holds neither " + kFemaleNamesFile + " nor " + kMaleNamesFile +
           ", the two lists the plugin reads.\n" +
           (texts.empty() ? "  It holds no text files either.\n"
                          : "  Text files in it:" + texts + ". To check one of them, drop that file itself.\n");
}

int Check(const std::vector<fs::path>& paths, bool json, std::ostream& out)
{
    bool problems = false;
    bool unread = false;
    std::string document;
    for (const auto& argument : paths) {
        if (const auto noLists = FolderWithoutLists(argument); noLists && !json) {
            out << *noLists;
            problems = true;
            continue;
        }
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
int SampleList(const fs::path& list, int size, std::ostream& out)
{
    const ListReport report = ReportOnList(list);
    if (SomeCommandsFail(report)) {
        out << ReportAsText(report);
        return report.state == ListState::ReadFailed ? 2 : 1;
    }
    const std::string path = PathAsUtf8(list);
    for (int i = 0; i < size; ++i) {
        const std::string name = ReadNameAtInFile(path, DrawRandomNumber(CountNamesInFile(path)));
        if (name.empty()) {
            out << EscapedPathText(path) << ": could not be read to its end; run it again\n";
            return 2;
        }
        out << Escaped(name) << "\n";
    }
    return 0;
}

// A folder: each of its two lists, under its name.
int Sample(const fs::path& argument, int size, std::ostream& out)
{
    if (!IsFolder(argument))
        return SampleList(argument, size, out);
    int status = 0;
    for (const auto& list : ListsOf(argument)) {
        out << "== " << EscapedPath(list) << "\n";
        status = std::max(status, SampleList(list, size, out));
    }
    return status;
}

}  // namespace

int RunNameCheck(const std::vector<fs::path>& arguments, std::ostream& out, std::ostream& err)
{
    const Options options = Parse(arguments);
    // Nothing named (a double-click on the program): how to use it.
    if (arguments.empty()) {
        out << kDropHint << kUsage;
        return 2;
    }
    if (options.help) {
        out << kUsage << "\n" << FindingsHelp();
        return 0;
    }
    if (!options.problem.empty()) {
        err << "Varnel_NameCheck: " << options.problem << "\n" << kUsage;
        return 2;
    }
    if (options.sample)
        return Sample(options.lists.front(), *options.sample, out);
    if (!options.fixOutput && options.lists.size() == 1 && NamesInstallation(options.lists.front())) {
        const Diagnosis diagnosis = Diagnose(FindInstallation(options.lists.front(), options.logs));
        out << (options.json ? DiagnosisAsJson(diagnosis) : DiagnosisAsText(diagnosis));
        return ExitStatusOf(diagnosis);
    }
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
