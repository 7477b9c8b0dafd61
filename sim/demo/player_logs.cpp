#include "sim/demo/player_logs.h"

#include "sim/demo/terminal.h"
#include "sim/demo/wide_text.h"
#include "sim/host/host.h"
#include "src/text/utf8.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace demo {

void ShowPluginLog()
{
    // Beside sfse.txt, in the folder the host finds as the plugin does.
    const std::filesystem::path path = sim::HostLogFilePath().parent_path() / "Varnel.log";
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
