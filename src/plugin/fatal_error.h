#pragma once

// The fatal error report: a message box naming where the plugin failed,
// then the end of the game process. Only used while the plugin loads.

#include "src/plugin/host_api.h"

#include <cstdint>
#include <string>

namespace varnel {

// kFatalErrorText filled in: "Fatal error has occured in function <function>
// at line <line>", two empty lines, "Error text: ", then " -> <error text>",
// each line ended by LF.
std::string ComposeFatalErrorText(const std::string& functionName, std::uint32_t lineNumber,
                                  const std::string& errorText);

// The name field of the record, up to its first zero byte.
std::string GetPluginName(const sfse::PluginVersionData& record);

// "<major>.<minor>" of the record's plugin version.
std::string GetPluginVersionText(const sfse::PluginVersionData& record);

// Shows `message` in a message box captioned with the name and version of
// `record` (the plugin's own), then terminates the process with exit code 0.
// Returns only if termination does.
void ReportFatalError(std::string message, const sfse::PluginVersionData& record);

}  // namespace varnel
