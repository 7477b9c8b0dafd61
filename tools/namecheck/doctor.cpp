#include "tools/namecheck/doctor.h"

#include "src/names/list_names.h"
#include "tools/namecheck/file_text.h"
#include "tools/namecheck/host_log.h"
#include "tools/namecheck/host_reasons.h"
#include "tools/namecheck/list_findings.h"
#include "tools/namecheck/list_text.h"
#include "tools/namecheck/plugin_file.h"
#include "tools/namecheck/plugin_log.h"

#include <sstream>

namespace varnel {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLoader = "sfse_loader.exe";
constexpr std::size_t kFailuresShown = 3;


std::string EndedSentence(std::string text) { return text.empty() || text.back() == '.' ? text : text + "."; }

// An action as a sentence: the findings table's and the host table's begin
// in lower case, after a colon of their own.
std::string Sentence(const std::string& text)
{
    if (text.empty())
        return text;
    const char first = text[0];
    std::string sentence(1, first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first);
    return EndedSentence(sentence.append(text, 1, std::string::npos));
}

// The first verdict given stands: the checks run in the order the game
// meets them, so the first thing in the way is the one named.
void Decide(Diagnosis& diagnosis, Status status, const char* verdict, std::string text, const std::string& action)
{
    if (!diagnosis.verdict.empty())
        return;
    diagnosis.status = status;
    diagnosis.verdict = verdict;
    diagnosis.text = EndedSentence(std::move(text));
    diagnosis.action = Sentence(action);
}

void Note(Diagnosis& diagnosis, const char* about, std::string text, const fs::path& from)
{
    diagnosis.facts.push_back({about, std::move(text), EscapedPath(from)});
}

std::string RuntimesText(const sfse::PluginVersionData& record)
{
    std::string text;
    for (const std::uint32_t runtime : ListedRuntimes(record))
        text += (text.empty() ? "" : ", ") + sfse::VersionText(runtime);
    return text.empty() ? "no game version" : text;
}

const char* NotAPluginText(PluginFileState state)
{
    switch (state) {
    case PluginFileState::NotADll:
        return "it is not a Windows DLL (SFSE: \"couldn't load plugin\")";
    case PluginFileState::Not64Bit:
        return "it is a 32-bit DLL (SFSE: \"32-bit plugins can never work\")";
    case PluginFileState::NoExports:
        return "it exports nothing, so SFSE's scan stops at it";
    case PluginFileState::NoRecord:
        return "it has no SFSEPlugin_Version record (SFSE: \"no version data\")";
    default:
        return "its record names another plugin";
    }
}

void CheckPluginFile(const Installation& installation, const PluginFile& dll, Diagnosis& diagnosis)
{
    for (const auto& copy : installation.strayCopies)
        Note(diagnosis, kPluginDll, "a copy in a folder the game does not read", copy);
    const fs::path& plugins = *installation.pluginFolder;
    if (dll.state == PluginFileState::Missing) {
        Note(diagnosis, kPluginDll, "not in " + EscapedPath(plugins), plugins);
        if (!installation.strayCopies.empty())
            Decide(diagnosis, Status::Blocked, "plugin-in-wrong-folder",
                   "Varnel.dll is in " + EscapedPath(installation.strayCopies.front().parent_path()) +
                       ", a folder the game does not read.",
                   "Move Varnel.dll, FemaleNames.txt and MaleNames.txt into " + EscapedPath(plugins) + ".");
        Decide(diagnosis, Status::Blocked, "plugin-missing", "Varnel.dll is not in " + EscapedPath(plugins) + ".",
               "Install the zip with your mod manager, or unpack it into the game's Data folder so that " + EscapedPath(plugins / kPluginDll) + " exists.");
        return;
    }
    if (dll.state == PluginFileState::Unreadable) {
        Note(diagnosis, kPluginDll, "cannot be read", dll.path);
        Decide(diagnosis, Status::Unknown, "plugin-unreadable", EscapedPath(dll.path) + " cannot be read.",
               "Close the game and any program that has the file open, then run this again.");
        return;
    }
    if (dll.state != PluginFileState::Read || !IsThisPlugin(dll.record)) {
        Note(diagnosis, kPluginDll, std::string("not this plugin: ") + NotAPluginText(dll.state), dll.path);
        Decide(diagnosis, Status::Blocked, "not-this-plugin", EscapedPath(dll.path) + " is not this plugin.",
               "Reinstall the zip.");
        return;
    }
    Note(diagnosis, kPluginDll,
         std::string(dll.record.name) + ", version " + sfse::VersionText(dll.record.pluginVersion, true) +
             ", built for Starfield " + RuntimesText(dll.record) + " (its record, read as SFSE reads it)",
         dll.path);
}

std::string FailuresText(const std::vector<HostPluginLine>& failures)
{
    std::string text;
    for (const auto& plugin : failures)
        text += (text.empty() ? "" : "; ") + plugin.file + ": " + plugin.reason;
    return text;
}

void CheckPluginLine(const HostLog& log, const HostPluginLine& line, const PluginFile& dll, Diagnosis& diagnosis)
{
    if (line.loaded) {
        Note(diagnosis, kHostLogFile, "line " + std::to_string(line.lineNumber) + ": Varnel.dll loaded correctly", log.path);
        return;
    }
    Note(diagnosis, kHostLogFile, "line " + std::to_string(line.lineNumber) + ": Varnel.dll " + line.reason + " " + line.code, log.path);
    const HostReason* row = FindHostReason(line.reason.c_str());
    std::string action = row != nullptr ? row->action : "see the README's table of the script extender's reasons.";
    const std::vector<HostPluginLine> before = FailuresBefore(log, line.lineNumber);
    if (line.reason == kReasonRefusedInLoad && !before.empty()) {
        Note(diagnosis, kHostLogFile, "plugins that failed before it: " + FailuresText(before), log.path);
        action = "Update or remove the plugins that failed before it (" + FailuresText(before) + "), then start the game again.";
    }
    if (line.reason == kReasonWrongRuntime && log.runtime && dll.state == PluginFileState::Read)
        Note(diagnosis, kHostLogFile,
             "the game is " + sfse::VersionText(*log.runtime) + "; Varnel.dll is built for " + RuntimesText(dll.record), log.path);
    Decide(diagnosis, Status::Blocked, "host-refused", "SFSE did not load Varnel.dll: " + line.reason + ".", action);
}

void CheckHostLog(const HostLog& log, const PluginFile& dll, Diagnosis& diagnosis)
{
    const fs::path folder = log.path.parent_path();
    switch (log.state) {
    case HostLogState::Missing:
        Note(diagnosis, kHostLogFile, "not there", folder);
        Decide(diagnosis, Status::Blocked, "sfse-not-run", "SFSE has written no sfse.txt: the game has not been started through SFSE.",
               std::string("Install SFSE and start the game with ") + kLoader + ", then run this again.");
        return;
    case HostLogState::Unreadable:
        Note(diagnosis, kHostLogFile, "cannot be read", log.path);
        Decide(diagnosis, Status::Unknown, "sfse-unreadable", "sfse.txt cannot be read.", "Close the game, then run this again.");
        return;
    case HostLogState::NotHostLog:
        Note(diagnosis, kHostLogFile, "does not begin as SFSE begins its log (empty, or another file)", log.path);
        Decide(diagnosis, Status::Unknown, "sfse-not-a-log", "sfse.txt is not a log SFSE wrote.",
               std::string("Start the game with ") + kLoader + ", then run this again.");
        return;
    case HostLogState::Read:
        break;
    }
    Note(diagnosis, kHostLogFile,
         "SFSE " + log.hostVersion + " ran the game " + (log.runtime ? sfse::VersionText(*log.runtime) : "of an unknown version") +
             ", scanning " + EscapedPathText(log.pluginDirectory),
         log.path);
    if (dll.state != PluginFileState::Missing && ArrivedAt(dll.times) > log.times.written) {
        Note(diagnosis, kHostLogFile, "older than Varnel.dll", log.path);
        Decide(diagnosis, Status::Blocked, "sfse-older-than-plugin",
               "sfse.txt is older than Varnel.dll: the game has not been started through SFSE since the plugin was installed.",
               std::string("Start the game with ") + kLoader + " (to the main menu), then run this again.");
    }
    const std::vector<HostPluginLine> boxed = FailuresBefore(log, SIZE_MAX);
    if (!boxed.empty())
        Note(diagnosis, kHostLogFile, "the box \"SFSE Plugin Loader\" listed " + FailuresText(boxed), log.path);
    if (const HostPluginLine* line = LineOf(log, kPluginDll)) {
        CheckPluginLine(log, *line, dll, diagnosis);
    } else if (log.scanStoppedBy) {
        Note(diagnosis, kHostLogFile, *log.scanStoppedBy + " stopped the scan (\"" + kScanStopped + "\")", log.path);
        Decide(diagnosis, Status::Blocked, "scan-stopped",
               *log.scanStoppedBy + " stopped SFSE's scan before it reached Varnel.dll.",
               "Remove " + *log.scanStoppedBy + " from Data\\SFSE\\Plugins: it is not an SFSE plugin (SFSE loads no plugin after it).");
    } else if (!log.complete) {
        Note(diagnosis, kHostLogFile, "ends before \"init complete\", with no line for Varnel.dll", log.path);
        Decide(diagnosis, Status::Unknown, "sfse-cut",
               "sfse.txt ends before SFSE's start-up did: the game was still starting, or stopped while starting.",
               std::string("Close the game, start it with ") + kLoader + " to the main menu, then run this again.");
    } else {
        Note(diagnosis, kHostLogFile, "no line for Varnel.dll", log.path);
        Decide(diagnosis, Status::Blocked, "plugin-not-scanned",
               "SFSE did not find Varnel.dll in the folder it scanned, " + EscapedPathText(log.pluginDirectory) + ".",
               "Install the plugin into that folder, the Data\\SFSE\\Plugins of the game SFSE starts.");
    }
}

void CheckCommandFailure(const Installation& installation, const PluginLog& log, Diagnosis& diagnosis)
{
    const std::string list = UnreadListPath(log.failures.back());
    const auto local = LocalPathOf(list, installation);
    if (list.empty() || !installation.pluginFolder || (local && SamePlace(local->parent_path(), *installation.pluginFolder)))
        return;
    const std::string lookedIn = EscapedPathText(list.substr(0, list.rfind('\\')));
    Decide(diagnosis, Status::Blocked, "other-working-folder",
           "The game looked for its lists in " + lookedIn + ", not in " + EscapedPath(*installation.pluginFolder) +
               ": it was started from another folder than its own.",
           std::string("Start the game with ") + kLoader + " from the game's folder (a shortcut's \"Start in\" must be that folder).");
}

void CheckPluginLog(const Installation& installation, const PluginLog& log, const HostLog& host, Diagnosis& diagnosis)
{
    const HostPluginLine* line = LineOf(host, kPluginDll);
    const bool loaded = line != nullptr && line->loaded;
    // SFSE ran the plugin's load, which empties the log, unless a check refused it first.
    const bool ranThisStart = loaded || (line != nullptr && (line->reason == kReasonRefusedInLoad || line->reason == kReasonLoadFault));
    if (log.state == PluginLogState::Missing) {
        if (loaded)
            Note(diagnosis, kPluginLogFile, "not there: the plugin could not write its log", log.path.parent_path());
        return;
    }
    // Emptied at each load: when SFSE did not load the plugin, it is an older start's.
    if (host.state == HostLogState::Read && !ranThisStart) {
        Note(diagnosis, kPluginLogFile, "from an earlier game start: SFSE did not load the plugin this time", log.path);
        return;
    }
    if (log.state == PluginLogState::Unreadable) {
        Note(diagnosis, kPluginLogFile, "cannot be read", log.path);
        Decide(diagnosis, Status::Unknown, "log-unreadable", "Varnel.log cannot be read.", "Close the game, then run this again.");
        return;
    }
    if (log.cut)
        Note(diagnosis, kPluginLogFile, "its last line is cut off: the game was writing it, or stopped while it did", log.path);
    if (log.unstamped > 0)
        Note(diagnosis, kPluginLogFile,
             Count(static_cast<std::int64_t>(log.unstamped), "line does", "lines do") +
                 " not begin with the time the plugin stamps on each: the file was edited, or is not the plugin's log",
             log.path);
    if (log.full)
        Note(diagnosis, kPluginLogFile, "it reached its 1 MiB: later lines were left out", log.path);
    if (!log.loaded)
        Note(diagnosis, kPluginLogFile, "no line says the plugin was loaded", log.path);
    if (log.notOffered) {
        Note(diagnosis, kPluginLogFile, *log.notOffered, log.path);
        Decide(diagnosis, Status::Blocked, log.listenerRefused ? "listener-refused" : "not-offered",
               log.listenerRefused ? "SFSE refused the plugin's listener: plugins before it in Data\\SFSE\\Plugins failed to load."
                                   : "SFSE did not offer what the plugin needs.",
               log.listenerRefused ? "Update or remove the plugins that failed (sfse.txt names them)." : "Update SFSE.");
    }
    if (log.notInstalled) {
        Note(diagnosis, kPluginLogFile, *log.notInstalled, log.path);
        Decide(diagnosis, Status::Blocked, "command-taken",
               "SetRandomName did not take over TogglePathLine: another plugin took or renamed that console command.",
               "Only one plugin can have TogglePathLine: remove the other plugin, or this one.");
    } else if (log.installed) {
        Note(diagnosis, kPluginLogFile, *log.installed, log.path);
    } else if (log.loaded && !log.notOffered) {
        Note(diagnosis, kPluginLogFile, "no take-over line: the game was closed before its data had loaded", log.path);
    }
    if (log.renamed + log.failures.size() == 0)
        Note(diagnosis, kPluginLogFile, "no SetRandomName command was run", log.path);
    else
        Note(diagnosis, kPluginLogFile,
             Count(static_cast<std::int64_t>(log.renamed), "command", "commands") + " gave a name, " +
                 std::to_string(log.failures.size()) + " failed",
             log.path);
    for (std::size_t i = log.failures.size() > kFailuresShown ? log.failures.size() - kFailuresShown : 0; i < log.failures.size(); ++i)
        Note(diagnosis, kPluginLogFile, log.failures[i], log.path);
    if (log.lastCommandFailed)
        CheckCommandFailure(installation, log, diagnosis);
}

void CheckLists(const fs::path& plugins, Diagnosis& diagnosis)
{
    for (const char* list : {kFemaleNamesFile, kMaleNamesFile}) {
        diagnosis.lists.push_back(ReportOnList(plugins / list));
        const ListReport& report = diagnosis.lists.back();
        if (report.state == ListState::ReadFailed)
            Decide(diagnosis, Status::Unknown, "list-unreadable", EscapedPath(report.path) + " could not be read to its end.",
                   "Close the program that has it open, then run this again.");
        const std::vector<Found> found = FindingsOf(report);
        if (ListHasProblems(report) && !found.empty())
            Decide(diagnosis, Status::Blocked, "list-problem", std::string(list) + ": " + found.front().detail,
                   KindOf(found.front().finding).action);
    }
}

}  // namespace

Diagnosis Diagnose(const Installation& installation)
{
    Diagnosis diagnosis;
    PluginFile dll;
    if (installation.pluginFolder) {
        dll = ReadPluginFile(*installation.pluginFolder / kPluginDll);
        CheckPluginFile(installation, dll, diagnosis);
    }
    if (!installation.logsFolder) {
        diagnosis.facts.push_back({"logs", "the folder of sfse.txt and Varnel.log is not known", ""});
        Decide(diagnosis, Status::Unknown, "logs-unknown", "The logs folder of SFSE is not known here.",
               "Name it with --logs FOLDER: Documents\\My Games\\Starfield\\SFSE\\Logs of the game's Windows user.");
    } else {
        diagnosis.facts.push_back({"logs", installation.logsFoundBy, EscapedPath(*installation.logsFolder)});
        const HostLog host = ReadHostLog(*installation.logsFolder / kHostLogFile);
        CheckHostLog(host, dll, diagnosis);
        CheckPluginLog(installation, ReadPluginLog(*installation.logsFolder / kPluginLogFile), host, diagnosis);
    }
    if (installation.pluginFolder)
        CheckLists(*installation.pluginFolder, diagnosis);
    else
        diagnosis.facts.push_back({"lists", "not checked: the game's folder is not known", ""});
    Decide(diagnosis, Status::Clear, "all-well", "Nothing stands in the way of SetRandomName.",
           "Select a character in the console, then type SetRandomName female or SetRandomName male.");
    return diagnosis;
}

int ExitStatusOf(const Diagnosis& diagnosis)
{
    return diagnosis.status == Status::Clear ? 0 : diagnosis.status == Status::Blocked ? 1 : 2;
}

std::string DiagnosisAsText(const Diagnosis& diagnosis)
{
    std::string text = Escaped(diagnosis.text, Backslashes::Kept) + "\n  To do: " + Escaped(diagnosis.action, Backslashes::Kept) +
                       "\n\nWhat this rests on:\n";
    // Facts of one file under one heading that says where they were read.
    for (std::size_t i = 0; i < diagnosis.facts.size(); ++i) {
        const Fact& fact = diagnosis.facts[i];
        if (i == 0 || fact.about != diagnosis.facts[i - 1].about || fact.from != diagnosis.facts[i - 1].from)
            text += "  " + fact.about + (fact.from.empty() ? std::string(":") : " (" + fact.from + "):") + "\n";
        text += "    - " + Escaped(fact.text, Backslashes::Kept) + "\n";
    }
    for (const auto& list : diagnosis.lists)
        text.append("\n").append(ReportAsText(list));
    return text;
}

std::string DiagnosisAsJson(const Diagnosis& diagnosis)
{
    bool replaced = false;
    std::ostringstream out;
    out << "{\"verdict\": " << JsonString(diagnosis.verdict, replaced) << ", \"status\": " << ExitStatusOf(diagnosis)
        << ", \"text\": " << JsonString(diagnosis.text, replaced) << ", \"action\": " << JsonString(diagnosis.action, replaced)
        << ", \"facts\": [";
    for (std::size_t i = 0; i < diagnosis.facts.size(); ++i) {
        const Fact& fact = diagnosis.facts[i];
        out << (i > 0 ? ",\n  " : "\n  ") << "{\"about\": " << JsonString(fact.about, replaced)
            << ", \"text\": " << JsonString(fact.text, replaced) << ", \"from\": " << JsonString(fact.from, replaced) << "}";
    }
    out << "],\n\"lists\": [";
    for (std::size_t i = 0; i < diagnosis.lists.size(); ++i)
        out << (i > 0 ? ",\n  " : "\n  ") << ReportAsJson(diagnosis.lists[i]);
    out << "], \"replacedInvalidUtf8\": " << (replaced ? "true" : "false") << "}\n";
    return out.str();
}

}  // namespace varnel
