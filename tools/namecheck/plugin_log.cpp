#include "tools/namecheck/plugin_log.h"

#include "src/log/log_line.h"
#include "src/log/log_openings.h"
#include "tools/namecheck/file_text.h"

#include <string_view>

namespace varnel {

namespace {

void ReadLine(std::string_view stamp, std::string_view text, PluginLog& log)
{
    if (text.find(kLogLoaded) != std::string_view::npos) {
        log.loaded = text;
        log.loadStamp = std::string(stamp.substr(0, stamp.size() - 1));
    } else if (text.starts_with(kLogFatal)) {
        log.fatal = text;
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
    if (!file.bytes) {
        log.state = PluginLogState::Unreadable;
        return log;
    }
    log.state = PluginLogState::Read;
    log.cut = !file.bytes->empty() && file.bytes->back() != '\n';
    for (const std::string_view line : LinesOf(*file.bytes)) {
        if (HasLogStamp(line))
            ReadLine(line.substr(0, kLogStampSize), line.substr(kLogStampSize), log);
        else
            ++log.unstamped;
    }
    return log;
}

std::string UnreadListPath(const std::string& failure)
{
    const std::string opening = std::string(kLogFactSeparator) + std::string(kLogListFact);
    const std::size_t at = failure.find(opening);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + opening.size();
    for (const std::string_view state : kLogListStates) {
        const std::size_t end = failure.find(state, start);
        if (end != std::string::npos && failure.find(kLogFactSeparator, start) >= end)
            return failure.substr(start, end - start);
    }
    return {};
}

}  // namespace varnel
