#include "plugin_log.h"

#include "list_text.h"
#include "log/log_line.h"
#include "log/log_openings.h"

#include <sstream>
#include <string_view>

namespace varnel {

namespace {

// "2026-12-10 04:31:02.123 ": the local time each line begins with.
constexpr std::size_t kStampSize = 24;

bool IsStamped(std::string_view line)
{
    constexpr std::string_view form = "dddd-dd-dd dd:dd:dd.ddd ";
    if (line.size() < kStampSize)
        return false;
    for (std::size_t i = 0; i < kStampSize; ++i) {
        const bool digit = line[i] >= '0' && line[i] <= '9';
        if (form[i] == 'd' ? !digit : line[i] != form[i])
            return false;
    }
    return true;
}

void ReadLine(std::string_view text, PluginLog& log)
{
    if (text.find(kLogLoaded) != std::string_view::npos) {
        log.loaded = text;
    } else if (text.ends_with(kLogNotOffered)) {
        log.notOffered = text;
        log.listenerRefused = text.starts_with(kLogListenerRefused);
    } else if (text.starts_with(kLogInstalled)) {
        log.installed = text;
    } else if (text.starts_with(kLogNotInstalled)) {
        log.notInstalled = text;
    } else if (text.starts_with(kLogFailed)) {
        log.failures.emplace_back(text);
        log.lastCommandFailed = true;
    } else if (text.starts_with(kLogRenamed)) {
        ++log.renamed;
        log.lastCommandFailed = false;
    } else if (text == kLogLimitReached) {
        log.full = true;
    }
}

}  // namespace

PluginLog ReadPluginLog(const std::filesystem::path& path)
{
    PluginLog log;
    log.path = path;
    const WholeFile file = ReadWholeFile(path);
    if (!file.present)
        return log;
    const std::optional<std::string>& bytes = file.bytes;
    if (!bytes) {
        log.state = PluginLogState::Unreadable;
        return log;
    }
    log.state = PluginLogState::Read;
    log.cut = !bytes->empty() && bytes->back() != '\n';
    std::istringstream lines(*bytes);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsStamped(line))
            ReadLine(std::string_view(line).substr(kStampSize), log);
        else
            ++log.unstamped;
    }
    return log;
}

std::string UnreadListPath(const std::string& failure)
{
    constexpr std::string_view opening = "; list ";
    const std::size_t at = failure.find(opening);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + opening.size();
    for (const std::string_view state : {" (missing)", " (empty)", " (cannot be opened)"}) {
        const std::size_t end = failure.find(state, start);
        if (end != std::string::npos && failure.find("; ", start) >= end)
            return failure.substr(start, end - start);
    }
    return {};
}

}  // namespace varnel
