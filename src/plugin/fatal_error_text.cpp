#include "src/plugin/fatal_error.h"

#include "src/command/messages.h"

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
    return std::to_string(sfse::VersionMajor(record.pluginVersion)) + "." +
           std::to_string(sfse::VersionMinor(record.pluginVersion));
}

}  // namespace varnel
