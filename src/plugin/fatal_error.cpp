#include "src/plugin/fatal_error.h"

#include "src/text/utf8.h"

#include <windows.h>

namespace varnel {

void ReportFatalError(std::string message, const sfse::PluginVersionData& record)
{
    const std::string caption = GetPluginName(record) + " v" + GetPluginVersionText(record);
    {
        const std::wstring wideCaption = Utf8ToWide(caption);
        const std::wstring wideMessage = Utf8ToWide(message);
        MessageBoxW(nullptr, wideMessage.c_str(), wideCaption.c_str(), MB_OK);
    }
    TerminateProcess(GetCurrentProcess(), 0);
}

}  // namespace varnel
