#include "plugin/fatal_error.h"

#include "command/messages.h"

#include <cstring>

namespace varnel {

std::string ComposeFatalErrorText(const std::string& functionName, std::uint32_t lineNumber,
                                  const std::string& errorText)
{
    return FillIn(kFatalErrorText, {functionName, std::to_string(lineNumber), errorText});
}

std::string GetPluginName(const sfse::PluginVersionData& record)
{
    return std::string(record.name, strnlen(record.name, sizeof record.name));
}

std::string GetPluginVersionText(const sfse::PluginVersionData& record)
{
    const unsigned major = (record.pluginVersion >> 24) & 0xFF;
    const unsigned minor = (record.pluginVersion >> 16) & 0xFF;
    return std::to_string(major) + "." + std::to_string(minor);
}

}  // namespace varnel
