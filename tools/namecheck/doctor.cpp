#include "tools/namecheck/doctor.h"

#include "src/names/list_names.h"
#include "tools/namecheck/file_text.h"
#include "tools/namecheck/game_folder.h"
#include "tools/namecheck/host_log.h"
#include "tools/namecheck/host_reasons.h"
#include "tools/namecheck/list_findings.h"
#include "tools/namecheck/list_text.h"
#include "tools/namecheck/loader_log.h"
#include "tools/namecheck/plugin_file.h"
#include "tools/namecheck/plugin_log.h"

#include "src/plugin/plugin_version.h"

#include <sstream>

namespace varnel {

namespace {

namespace fs = std::filesystem;

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

// The verdict earliest in the table stands, whatever order the checks run in.
std::size_t RowOf(const std::string& key)
{
    const Verdict* row = FindVerdict(key);
    return row == nullptr ? kVerdictCount : static_cast<std::size_t>(row - kVerdicts);
}

void Decide(Diagnosis& diagnosis, const char* key, const Filling& filling = {})
{
    const Verdict* row = FindVerdict(key);
    if (row == nullptr || (!diagnosis.verdict.empty() && RowOf(diagnosis.verdict) <= RowOf(key)))
        return;
    diagnosis.status = row->status;
    diagnosis.verdict = key;
    diagnosis.text = EndedSentence(Filled(row->text, filling));
    diagnosis.action = Sentence(Filled(row->action, filling));
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

std::string Joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

constexpr std::uint32_t kBuiltFor = sfse::EncodeVersion(VARNEL_GAME_RUNTIME_MAJOR, VARNEL_GAME_RUNTIME_MINOR, VARNEL_GAME_RUNTIME_BUILD, 0);

// SFSE ran the game this plugin is built for: its release for it offers every
// interface the plugin asks for.
bool IsHostForThisGame(const HostLog& host) { return host.runtime && *host.runtime == kBuiltFor && !host.hostVersion.empty(); }

// ---- The game's own files ----

void CheckHostFiles(const fs::path& folder, const GameFolder& game, Diagnosis& diagnosis)
{
    const std::string where = EscapedPath(folder);
    if (!game.loaderPresent) {
        Note(diagnosis, "SFSE", "sfse_loader.exe is not there", folder);
        Decide(diagnosis, "sfse-loader-missing", {{"folder", where}});
    }
    if (!game.hostDll)
        return;
    const HostDll& dll = *game.hostDll;
    const std::string name = PathAsUtf8(dll.path.filename());
    // The loader's checks: the file opens, its SFSECore_Version names this
    // game's runtime, and a file version from 0.0.2.14 on (the first signed).
    constexpr std::uint64_t kFirstSignedVersion = 0x000000000002000E;
    if (dll.state == FileState::Missing) {
        Note(diagnosis, "SFSE", name + " (the host DLL for this game version) is not there" +
                                    (game.otherHostDlls.empty() ? std::string() : "; there is " + Joined(game.otherHostDlls, ", ")),
             folder);
        Decide(diagnosis, "sfse-dll-missing", {{"dll", name}, {"folder", where}});
        return;
    }
    const std::string release = dll.fileVersion ? "SFSE " + HostReleaseText(*dll.fileVersion) : "of no file version";
    const bool old = dll.fileVersion && *dll.fileVersion < kFirstSignedVersion;
    const bool bad = !old && (!dll.coreRuntime || !game.exe.runtime || *dll.coreRuntime != *game.exe.runtime);
    Note(diagnosis, "SFSE",
         name + ": " + release + ", for game " + (dll.coreRuntime ? sfse::VersionText(*dll.coreRuntime) : "of no version") +
             " (its SFSECore_Version)",
         dll.path);
    if (old || bad)
        Decide(diagnosis, "sfse-dll-wrong",
               {{"dll", name},
                {"what", old ? release + ", older than its loader" : "built for another game version"},
                {"stop", old ? "Old SFSE DLL" : "Bad SFSE DLL"},
                {"folder", where}});
}

void CheckGameFolder(const Installation& installation, const PluginFile& dll, Diagnosis& diagnosis)
{
    if (!installation.gameFolder)
        return;
    const fs::path& folder = *installation.gameFolder;
    const GameFolder game = ReadGameFolder(folder);
    const GameExe& exe = game.exe;
    if (exe.state == FileState::Missing) {
        Note(diagnosis, kGameExecutable, "not there: SFSE's loader will stop with \"Couldn't find Starfield.exe.\"", folder);
        return;
    }
    std::string store = StoreName(exe.store);
    if (!exe.storeSigns.empty())
        store += " (" + Joined(exe.storeSigns, "; ") + ")";
    Note(diagnosis, kGameExecutable,
         (exe.state == FileState::Unreadable ? std::string("cannot be read")
          : exe.runtime                      ? "game version " + exe.productVersion
                                             : "no version SFSE's loader can read (\"Couldn't retrieve EXE version information.\")") +
             ", " + store,
         exe.path);
    if (exe.store == GameStore::GamePass || exe.store == GameStore::Epic || exe.store == GameStore::Packed) {
        Decide(diagnosis, "game-store-unsupported", {{"store", StoreName(exe.store)}, {"signs", Joined(exe.storeSigns, "; ")}});
        return;
    }
    if (exe.runtime && *exe.runtime != kBuiltFor)
        Decide(diagnosis, "game-version-other",
               {{"game", sfse::VersionText(*exe.runtime)},
                {"plugin", dll.state == PluginFileState::Read ? sfse::VersionText(dll.record.pluginVersion, true) : VARNEL_VERSION_TEXT}});
    CheckHostFiles(folder, game, diagnosis);
}

// ---- The plugin's file ----

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

std::string ModText(const Installation& installation, const PlacedFile& file)
{
    std::string text = "from the mod \"" + file.mod + "\" of Mod Organizer 2's profile \"" + installation.modOrganizer->profile +
                       "\": MO2 puts it into the game only when it starts the game";
    if (!file.alsoIn.empty())
        text += "; lower in its priority, also in " + Joined(file.alsoIn, ", ");
    return text;
}

void CheckPluginFile(const Installation& installation, const PluginFile& dll, const HostLog& host, Diagnosis& diagnosis)
{
    for (const auto& copy : installation.strayCopies)
        Note(diagnosis, kPluginDll, "a copy in a folder the game does not read", copy);
    const fs::path& plugins = *installation.pluginFolder;
    const PlacedFile& placed = PlacedFileOf(installation, kPluginDll);
    if (!placed.mod.empty())
        Note(diagnosis, kPluginDll, ModText(installation, placed), placed.path);
    if (dll.state == PluginFileState::Missing) {
        const HostPluginLine* line = host.state == HostLogState::Read ? LineOf(host, kPluginDll) : nullptr;
        if (line != nullptr && line->loaded && installation.strayCopies.empty()) {
            // It reached the game another way than the game folder: a mod manager's.
            Note(diagnosis, kPluginDll,
                 "not in " + EscapedPath(plugins) + ", yet the last start loaded it: it came through a mod manager", plugins);
            return;
        }
        Note(diagnosis, kPluginDll, "not in " + EscapedPath(plugins), plugins);
        if (!installation.strayCopies.empty())
            Decide(diagnosis, "plugin-in-wrong-folder",
                   {{"folder", EscapedPath(installation.strayCopies.front().parent_path())}, {"plugins", EscapedPath(plugins)}});
        Decide(diagnosis, "plugin-missing", {{"plugins", EscapedPath(plugins)}, {"dll", EscapedPath(plugins / kPluginDll)}});
        return;
    }
    if (dll.state == PluginFileState::Unreadable) {
        Note(diagnosis, kPluginDll, "cannot be read", dll.path);
        Decide(diagnosis, "plugin-unreadable", {{"dll", EscapedPath(dll.path)}});
        return;
    }
    if (dll.state != PluginFileState::Read || !IsThisPlugin(dll.record)) {
        Note(diagnosis, kPluginDll, std::string("not this plugin: ") + NotAPluginText(dll.state), dll.path);
        Decide(diagnosis, "not-this-plugin", {{"dll", EscapedPath(dll.path)}});
        return;
    }
    Note(diagnosis, kPluginDll,
         std::string(dll.record.name) + ", version " + sfse::VersionText(dll.record.pluginVersion, true) +
             ", built for Starfield " + RuntimesText(dll.record) + " (its record, read as SFSE reads it)",
         dll.path);
}

// ---- SFSE's logs ----

// When the start sfse.txt records began, in seconds since 1970 UTC: its
// start line's stamp, or for a log never written out the file's own time.
std::optional<std::int64_t> StartOf(const HostLog& host)
{
    if (host.started)
        return host.started;
    if (host.state == HostLogState::Empty)
        return UnixSecondsOf(host.times.written);
    return std::nullopt;
}

void CheckLoaderLog(const fs::path& logs, const HostLog& host, Diagnosis& diagnosis)
{
    const LoaderLog loader = ReadLoaderLog(PathIgnoringCase(logs, kLoaderLogFile));
    if (loader.state != LoaderLogState::Read)
        return;
    Note(diagnosis, kLoaderLogFile,
         "SFSE's loader " + loader.release + " ran at " + loader.startStamp + " UTC and " +
             (loader.launched ? std::string("started the game") : loader.stop ? "stopped: \"" + loader.stopText + "\"" : "did not start the game"),
         loader.path);
    const std::optional<std::int64_t> start = StartOf(host);
    // By their stamps; within one second, by when each file was written.
    const bool newer = host.state == HostLogState::Missing || !start || !loader.started || *loader.started > *start ||
                       (*loader.started == *start && loader.times.written > host.times.written);
    if (loader.stop == nullptr || loader.launched || !newer)
        return;
    if (host.state != HostLogState::Missing)
        Note(diagnosis, kHostLogFile, "from an earlier start than the loader's last run", host.path);
    Decide(diagnosis, "loader-stopped", {{"time", loader.startStamp}, {"stop", loader.stopText}, {"action", loader.stop->action}});
}

// Each plugin's line as `text` gives it, joined by `separator`.
template <typename Text>
std::string EachJoined(const std::vector<HostPluginLine>& plugins, const char* separator, Text text)
{
    std::string joined;
    for (const auto& plugin : plugins)
        joined += (joined.empty() ? "" : separator) + text(plugin);
    return joined;
}

std::string FailuresText(const std::vector<HostPluginLine>& failures)
{
    return EachJoined(failures, "; ", [](const HostPluginLine& plugin) { return plugin.file + ": " + plugin.reason; });
}

// The Windows error of "couldn't load plugin", in words, with what fits.
std::string LoadErrorText(const HostPluginLine& line)
{
    const long code = std::strtol(line.code.c_str(), nullptr, 10);
    const WindowsError* error = FindWindowsError(code);
    const bool ours = SameNameIgnoringCase(line.file, kPluginDll);
    if (ours && code == 126)
        return line.atLoad ? "error 126: the file went away between SFSE's scan and its load (a virus scanner or a mod "
                             "manager removed it; Varnel.dll needs only Windows' own DLLs): let your antivirus allow it, "
                             "and reinstall the zip"
                           : "error 126 at the scan, which resolves no imports: the file itself is missing; reinstall the zip";
    if (error == nullptr)
        return "Windows' error " + line.code;
    return "error " + line.code + ": " + error->meaning + "; " + (ours ? "reinstall the zip" : error->action);
}

void NoteBox(const HostLog& log, Diagnosis& diagnosis)
{
    const std::vector<HostPluginLine> boxed = FailuresBefore(log, SIZE_MAX);
    if (boxed.empty())
        return;
    Note(diagnosis, kHostLogFile,
         "SFSE's box \"SFSE Plugin Loader (" + log.hostVersion + ")\" comes at every start while these fail, and asks "
         "\"Exit game? (yes highly suggested)\": No plays on without them, Yes ends the game. It lists: " + EachJoined(boxed, "; ", BoxLine) +
             ". Remove or update each of them (the action for each reason is in the README's table)",
         log.path);
    std::vector<std::string> others;
    for (const auto& plugin : boxed) {
        if (SameNameIgnoringCase(plugin.file, kPluginDll))
            continue;
        others.push_back(plugin.file);
        if (plugin.reason == "couldn't load plugin")
            Note(diagnosis, kHostLogFile, plugin.file + ": " + LoadErrorText(plugin), log.path);
    }
    if (!others.empty())
        Decide(diagnosis, "other-plugins-failed", {{"names", Joined(others, ", ")}});
}

// Varnel.log of the start sfse.txt records: it is emptied at each load,
// and its load line (local time) comes after SFSE's start (UTC).
bool OfThisStart(const PluginLog& log, const HostLog& host)
{
    const HostPluginLine* line = host.state == HostLogState::Read ? LineOf(host, kPluginDll) : nullptr;
    const bool ranLoad = line != nullptr && (line->loaded || line->reason == kReasonRefusedInLoad || line->reason == kReasonLoadFault);
    if (host.state == HostLogState::Read && host.complete && !ranLoad)
        return false;
    constexpr std::int64_t kStampSlack = 120;  // the two clocks' seconds and a slow start
    const std::optional<std::int64_t> start = StartOf(host);
    const std::optional<std::int64_t> load = LocalStampSeconds(log.loadStamp);
    if (start && load)
        return *load + kStampSlack >= *start;
    return ranLoad || host.state != HostLogState::Read;
}

std::vector<HostPluginLine> FailedAtLoadBefore(const HostLog& log, std::size_t before)
{
    std::vector<HostPluginLine> failures;
    for (const auto& plugin : FailuresBefore(log, before)) {
        if (plugin.atLoad)
            failures.push_back(plugin);
    }
    return failures;
}

// "reported as incompatible during load": the plugins that failed in SFSE's
// loading before it, or else what SFSE did not offer.
std::string RefusedInLoadAction(const HostLog& log, const std::vector<HostPluginLine>& before)
{
    const std::string runtime = VARNEL_GAME_RUNTIME_TEXT;
    if (!before.empty())
        return "Update or remove the plugins that failed before it (" + FailuresText(before) + "), then start the game again.";
    if (IsHostForThisGame(log))
        return "No plugin failed before it, and SFSE " + log.hostVersion + " on game " + runtime +
               " offers what it needs: Varnel.log says why; report it with sfse.txt and Varnel.log.";
    return "Update SFSE to its release for game " + runtime + ".";
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
    if (line.reason == "couldn't load plugin")
        action = LoadErrorText(line) + ".";
    if (line.reason == kReasonRefusedInLoad) {
        // Only plugins removed while SFSE loaded them shrink the count it checks listeners against.
        const std::vector<HostPluginLine> before = FailedAtLoadBefore(log, line.lineNumber);
        if (!before.empty())
            Note(diagnosis, kHostLogFile, "plugins that failed before it while SFSE loaded them: " + FailuresText(before), log.path);
        action = RefusedInLoadAction(log, before);
    }
    if (line.reason == kReasonWrongRuntime && log.runtime && dll.state == PluginFileState::Read)
        Note(diagnosis, kHostLogFile,
             "the game is " + sfse::VersionText(*log.runtime) + "; Varnel.dll is built for " + RuntimesText(dll.record), log.path);
    Decide(diagnosis, "host-refused", {{"reason", line.reason}, {"action", action}});
}

void CheckCutHostLog(const HostLog& log, Diagnosis& diagnosis)
{
    const std::string how = log.state == HostLogState::Empty
                                ? "is empty"
                                : "stops at byte " + std::to_string(log.size) +
                                      (log.size % kHostLogBlock == 0 ? " (a multiple of 4096)" : "") + ", before \"init complete\"";
    Note(diagnosis, kHostLogFile, how + ": SFSE had not written it out when the game ended", log.path);
    if (AsciiLowerCase(log.cutLine).starts_with("plugin varnel.dll "))
        Note(diagnosis, kHostLogFile, "its last line, cut off, is Varnel.dll's: " + log.cutLine, log.path);
    Decide(diagnosis, "game-ended-loading",
           {{"how", how},
            {"action", "SFSE names no plugin then; Varnel.log says whether Varnel.dll loaded. Take out the plugins added "
                       "last to Data\\SFSE\\Plugins, one at a time, until the game reaches its menu."}});
}

void CheckHostLog(const HostLog& log, const PluginFile& dll, Diagnosis& diagnosis)
{
    const fs::path folder = log.path.parent_path();
    switch (log.state) {
    case HostLogState::Missing:
        Note(diagnosis, kHostLogFile, "not there", folder);
        Decide(diagnosis, "sfse-not-run");
        return;
    case HostLogState::Unreadable:
        Note(diagnosis, kHostLogFile, "cannot be read", log.path);
        Decide(diagnosis, "sfse-unreadable");
        return;
    case HostLogState::NotHostLog:
        Note(diagnosis, kHostLogFile, IsFolder(log.path) ? "a folder of that name, not SFSE's log" : "does not begin as SFSE begins its log (another file)", log.path);
        Decide(diagnosis, "sfse-not-a-log");
        return;
    case HostLogState::Empty:
        CheckCutHostLog(log, diagnosis);
        return;
    case HostLogState::Read:
        break;
    }
    if (!log.encodingNote.empty())
        Note(diagnosis, kHostLogFile, "re-saved as " + log.encodingNote + " (SFSE writes plain bytes); read as it was", log.path);
    Note(diagnosis, kHostLogFile,
         "the last start through SFSE, at " + log.startStamp + " UTC: SFSE " + log.hostVersion + " ran the game " +
             (log.runtime ? sfse::VersionText(*log.runtime) : "of an unknown version") + ", scanning " + EscapedPathText(log.pluginDirectory),
         log.path);
    if (dll.state != PluginFileState::Missing && ArrivedAt(dll.times) > log.times.written) {
        Note(diagnosis, kHostLogFile, "older than Varnel.dll", log.path);
        Decide(diagnosis, "sfse-older-than-plugin");
    }
    NoteBox(log, diagnosis);
    for (const HostPluginLine& plugin : log.plugins) {
        if (plugin.loaded && plugin.name == VARNEL_PLUGIN_NAME && !SameNameIgnoringCase(plugin.file, kPluginDll)) {
            Note(diagnosis, kHostLogFile, "line " + std::to_string(plugin.lineNumber) + ": " + plugin.file + ", a copy of Varnel.dll, loaded too", log.path);
            Decide(diagnosis, "second-copy", {{"file", plugin.file}});
        }
    }
    if (const HostPluginLine* line = LineOf(log, kPluginDll)) {
        CheckPluginLine(log, *line, dll, diagnosis);
    } else if (log.scanStoppedBy) {
        Note(diagnosis, kHostLogFile, *log.scanStoppedBy + " stopped the scan (\"" + kScanStopped + "\")", log.path);
        Decide(diagnosis, "scan-stopped", {{"file", *log.scanStoppedBy}});
    } else if (!log.complete) {
        CheckCutHostLog(log, diagnosis);
    } else {
        Note(diagnosis, kHostLogFile, "no line for Varnel.dll", log.path);
        Decide(diagnosis, "plugin-not-scanned", {{"folder", EscapedPathText(log.pluginDirectory)}});
    }
}

// ---- The plugin's log ----

void CheckCommandFailure(const Installation& installation, const PluginLog& log, Diagnosis& diagnosis)
{
    const std::string list = UnreadListPath(log.failures.back());
    const auto local = LocalPathOf(list, installation);
    if (list.empty() || !installation.pluginFolder || (local && SamePlace(local->parent_path(), *installation.pluginFolder)))
        return;
    Decide(diagnosis, "other-working-folder",
           {{"folder", EscapedPathText(list.substr(0, list.rfind('\\')))}, {"plugins", EscapedPath(*installation.pluginFolder)}});
}

void CheckNotOffered(const PluginLog& log, const HostLog& host, Diagnosis& diagnosis)
{
    Note(diagnosis, kPluginLogFile, *log.notOffered, log.path);
    const HostPluginLine* line = LineOf(host, kPluginDll);
    if (log.listenerRefused) {
        // Only plugins removed in Preload or Load shrink the count SFSE checks listeners against.
        std::vector<HostPluginLine> failed = FailedAtLoadBefore(host, line != nullptr ? line->lineNumber : SIZE_MAX);
        if (failed.empty())
            failed = FailuresBefore(host, line != nullptr ? line->lineNumber : SIZE_MAX);
        const std::string names = EachJoined(failed, ", ", [](const HostPluginLine& plugin) { return plugin.file; });
        Decide(diagnosis, "listener-refused", {{"failed", names.empty() ? "the plugins sfse.txt names" : names}});
        return;
    }
    const bool current = IsHostForThisGame(host);
    Decide(diagnosis, "not-offered",
           {{"host", host.hostVersion.empty() ? std::string("(of an unknown version)") : host.hostVersion},
            {"line", *log.notOffered},
            {"action", current ? "SFSE " + host.hostVersion + " on game " + std::string(VARNEL_GAME_RUNTIME_TEXT) +
                                     " offers it: report this with sfse.txt and Varnel.log."
                               : "Update SFSE to its release for game " + std::string(VARNEL_GAME_RUNTIME_TEXT) + "."}});
}

void CheckPluginLog(const Installation& installation, const PluginLog& log, const HostLog& host, Diagnosis& diagnosis)
{
    const HostPluginLine* line = host.state == HostLogState::Read ? LineOf(host, kPluginDll) : nullptr;
    if (log.state == PluginLogState::Missing) {
        if (line != nullptr && line->loaded)
            Note(diagnosis, kPluginLogFile, "not there: the plugin could not write its log", log.path.parent_path());
        return;
    }
    if (log.state == PluginLogState::Unreadable) {
        Note(diagnosis, kPluginLogFile, "cannot be read", log.path);
        Decide(diagnosis, "log-unreadable");
        return;
    }
    if (!OfThisStart(log, host)) {
        Note(diagnosis, kPluginLogFile,
             "from an earlier game start" + (log.loadStamp.empty() ? std::string() : " (" + log.loadStamp + ", local time)") +
                 ": it decides nothing about the last one",
             log.path);
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
    else
        Note(diagnosis, kPluginLogFile, "loaded at " + log.loadStamp + " (local time), in the last start through SFSE", log.path);
    if (log.fatal)
        Note(diagnosis, kPluginLogFile, *log.fatal, log.path);
    if (log.notOffered)
        CheckNotOffered(log, host, diagnosis);
    if (log.notInstalled) {
        Note(diagnosis, kPluginLogFile, *log.notInstalled, log.path);
        Decide(diagnosis, "command-taken");
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

// ---- The lists ----

void CheckLists(const Installation& installation, Diagnosis& diagnosis)
{
    for (const char* list : {kFemaleNamesFile, kMaleNamesFile}) {
        const PlacedFile& placed = PlacedFileOf(installation, list);
        if (!placed.mod.empty())
            Note(diagnosis, list, ModText(installation, placed), placed.path);
        diagnosis.lists.push_back(ReportOnList(placed.path));
        const ListReport& report = diagnosis.lists.back();
        if (report.state == ListState::ReadFailed)
            Decide(diagnosis, "list-unreadable", {{"list", EscapedPath(report.path)}});
        const std::vector<Found> found = FindingsOf(report);
        if (ListHasProblems(report) && !found.empty())
            Decide(diagnosis, "list-problem",
                   {{"list", list}, {"finding", found.front().detail}, {"action", KindOf(found.front().finding).action}});
    }
}

}  // namespace

Diagnosis Diagnose(const Installation& installation)
{
    Diagnosis diagnosis;
    std::optional<HostLog> host;
    if (installation.logsFolder)
        host = ReadHostLog(PathIgnoringCase(*installation.logsFolder, kHostLogFile));
    PluginFile dll;
    if (installation.modOrganizer)
        diagnosis.facts.push_back({"Mod Organizer 2",
                                   installation.modOrganizerFoundBy + "; profile \"" + installation.modOrganizer->profile + "\", " +
                                       Count(static_cast<std::int64_t>(installation.modOrganizer->enabledMods.size()), "mod", "mods") +
                                       " enabled",
                                   EscapedPath(installation.modOrganizer->modList)});
    if (installation.pluginFolder) {
        dll = ReadPluginFile(PlacedFileOf(installation, kPluginDll).path);
        CheckGameFolder(installation, dll, diagnosis);
        CheckPluginFile(installation, dll, host.value_or(HostLog{}), diagnosis);
    }
    if (!host) {
        diagnosis.facts.push_back({"logs", "the folder of sfse.txt and Varnel.log is not known", ""});
        Decide(diagnosis, "logs-unknown");
    } else {
        diagnosis.facts.push_back({"logs", installation.logsFoundBy, EscapedPath(*installation.logsFolder)});
        CheckLoaderLog(*installation.logsFolder, *host, diagnosis);
        CheckHostLog(*host, dll, diagnosis);
        CheckPluginLog(installation, ReadPluginLog(PathIgnoringCase(*installation.logsFolder, kPluginLogFile)), *host, diagnosis);
    }
    if (installation.pluginFolder)
        CheckLists(installation, diagnosis);
    else
        diagnosis.facts.push_back({"lists", "not checked: the game's folder is not known", ""});
    Decide(diagnosis, "all-well");
    return diagnosis;
}

int ExitStatusOf(const Diagnosis& diagnosis) { return ExitStatusOf(diagnosis.status); }

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
