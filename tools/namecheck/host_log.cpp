#include "tools/namecheck/host_log.h"

#include "src/plugin/host_api.h"
#include "tools/namecheck/file_text.h"
#include "tools/namecheck/host_reasons.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string_view>

namespace varnel {

namespace {

// The host's format strings at 0.2.17: "SFSE runtime: initialize (version =
// %d.%d.%d %08X %04d-%02d-%02d %02d:%02d:%02d, os = %s)", "plugin directory =
// %s", "checking plugin %s", "exception occurred while loading plugins",
// "plugin %s (%08X %s %08X) %s (handle %d)" for a plugin that loaded and
// "plugin %s (%08X %s %08X) %s %d (handle %d)" for one that failed,
// "init complete".
constexpr std::string_view kStart = "SFSE runtime: initialize (version = ";
constexpr std::string_view kLoadingPlugin = "loading plugin \"";
constexpr std::string_view kPreloadingPlugin = "preloading plugin \"";
constexpr std::string_view kPluginDirectory = "plugin directory = ";
constexpr std::string_view kChecking = "checking plugin ";
constexpr std::string_view kInitComplete = "init complete";
constexpr std::string_view kLoadedCorrectly = "loaded correctly";
constexpr std::string_view kNoVersionData = "no version data";

const std::regex& StartPattern()
{
    static const std::regex pattern(R"(^SFSE runtime: initialize \(version = (\d+\.\d+\.\d+) ([0-9A-F]{8}) ([0-9-]{10} [0-9:]{8}))");
    return pattern;
}

const std::regex& PluginPattern()
{
    static const std::regex pattern(R"(^plugin (.+?) \([0-9A-F]{8} (.*) ([0-9A-F]{8})\) (.+?) \(handle -?\d+\)$)");
    return pattern;
}

void ReadStart(const std::string& line, HostLog& log)
{
    std::smatch match;
    if (!std::regex_search(line, match, StartPattern()))
        return;
    log.hostVersion = match[1];
    log.runtime = static_cast<std::uint32_t>(std::stoul(match[2], nullptr, 16));
    log.startStamp = match[3];
    log.started = UtcStampSeconds(log.startStamp);
}

// "disabled, fatal error occurred while loading plugin 0": the reason, then its code.
void SplitOutcome(const std::string& outcome, HostPluginLine& plugin)
{
    plugin.loaded = outcome == kLoadedCorrectly;
    if (plugin.loaded)
        return;
    const std::size_t blank = outcome.rfind(' ');
    const bool coded = blank != std::string::npos &&
                       std::all_of(outcome.begin() + static_cast<long>(blank) + 1, outcome.end(),
                                   [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
    plugin.reason = coded ? outcome.substr(0, blank) : outcome;
    plugin.code = coded ? outcome.substr(blank + 1) : "";
    plugin.inBox = plugin.reason != kNoVersionData;
}

bool ReadPluginLine(const std::string& line, std::size_t number, HostLog& log)
{
    std::smatch match;
    if (!std::regex_match(line, match, PluginPattern()))
        return false;
    HostPluginLine plugin;
    plugin.lineNumber = number;
    plugin.file = match[1];
    plugin.name = match[2];
    plugin.pluginVersion = static_cast<std::uint32_t>(std::stoul(match[3], nullptr, 16));
    SplitOutcome(match[4], plugin);
    plugin.atLoad = log.loadingPlugins;
    log.plugins.push_back(std::move(plugin));
    return true;
}

void ReadLine(const std::string& line, std::size_t number, HostLog& log)
{
    if (line.starts_with(kPluginDirectory))
        log.pluginDirectory = line.substr(kPluginDirectory.size());
    else if (line.starts_with(kChecking))
        log.lastChecked = line.substr(kChecking.size());
    else if (line == kScanStopped && !log.lastChecked.empty())
        log.scanStoppedBy = log.lastChecked;
    else if (line == kInitComplete)
        log.complete = true;
    else if (line.starts_with(kLoadingPlugin) || line.starts_with(kPreloadingPlugin))
        log.loadingPlugins = true;
    else
        ReadPluginLine(line, number, log);
}

// A log an editor re-saved: a UTF-8 byte-order mark, or UTF-16 of either
// order, read back as the UTF-8 SFSE wrote.
std::string AsWritten(std::string bytes, std::string& note)
{
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        note = "UTF-8 with a byte-order mark";
        return bytes.substr(3);
    }
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF"))
        return bytes;
    note = little ? "UTF-16 (little-endian)" : "UTF-16 (big-endian)";
    return Utf16AsUtf8(std::string_view(bytes).substr(2), little);
}

}  // namespace

HostLog ReadHostLog(const std::filesystem::path& path)
{
    HostLog log;
    log.path = path;
    const WholeFile file = ReadWholeFile(path);
    if (!file.present)
        return log;
    log.times = file.times;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        log.state = HostLogState::NotHostLog;
        return log;
    }
    if (!file.bytes) {
        log.state = HostLogState::Unreadable;
        return log;
    }
    log.size = file.bytes->size();
    const std::string text = AsWritten(*file.bytes, log.encodingNote);
    log.state = text.empty() ? HostLogState::Empty : std::string_view(text).starts_with(kStart) ? HostLogState::Read : HostLogState::NotHostLog;
    if (log.state != HostLogState::Read)
        return log;
    std::size_t number = 0;
    for (const std::string_view each : LinesOf(text)) {
        // SFSE writes paths and file names in the ANSI code page.
        const std::string line = AnsiAsUtf8(std::string(each));
        if (++number == 1)
            ReadStart(line, log);
        else
            ReadLine(line, number, log);
    }
    if (!text.ends_with('\n'))
        log.cutLine = AnsiAsUtf8(std::string(LinesOf(text).back()));
    return log;
}

const HostPluginLine* LineOf(const HostLog& log, const std::string& file)
{
    const auto found = std::find_if(log.plugins.rbegin(), log.plugins.rend(),
                                    [&](const HostPluginLine& plugin) { return SameNameIgnoringCase(plugin.file, file); });
    return found == log.plugins.rend() ? nullptr : &*found;
}

std::vector<HostPluginLine> FailuresBefore(const HostLog& log, std::size_t before)
{
    std::vector<HostPluginLine> failures;
    for (const auto& plugin : log.plugins) {
        if (plugin.lineNumber < before && plugin.inBox)
            failures.push_back(plugin);
    }
    return failures;
}

std::string BoxLine(const HostPluginLine& plugin)
{
    std::string line = plugin.file;
    if (plugin.pluginVersion != 0)
        line += " v" + (sfse::VersionMajor(plugin.pluginVersion) != 0 ? sfse::VersionText(plugin.pluginVersion, true)
                                                                      : std::to_string(plugin.pluginVersion));
    line += ": " + plugin.reason;
    // The box's %08X of the u32 the log wrote with %d.
    char code[16] = {};
    const auto number = static_cast<std::uint32_t>(std::strtoll(plugin.code.c_str(), nullptr, 10));
    if (number != 0) {
        std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(number));
        line += std::string(" (") + code + ")";
    }
    return line;
}

}  // namespace varnel
