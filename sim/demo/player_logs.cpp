#include "sim/demo/player_logs.h"

#include "sim/demo/terminal.h"
#include "sim/demo/wide_text.h"
#include "src/text/utf8.h"

#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace demo {

namespace {

std::filesystem::path LogsFolder()
{
    PWSTR documents = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &documents)))
        folder = std::filesystem::path(documents) / "My Games" / "Starfield" / "SFSE" / "Logs";
    CoTaskMemFree(documents);
    return folder;
}

}  // namespace

void ShowPluginLog()
{
    const std::filesystem::path path = LogsFolder() / "Varnel.log";
    std::ifstream log(path, std::ios::binary);
    if (!log) {
        Say("== No plugin log at " + Utf8Of(path));
        return;
    }
    Say("== The plugin's own log, " + Utf8Of(path) + ":");
    for (std::string line; std::getline(log, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Say("   | " + varnel::Escaped(line, varnel::Backslashes::Kept));
    }
}

}  // namespace demo
