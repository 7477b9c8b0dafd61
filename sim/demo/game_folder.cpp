#include "sim/demo/game_folder.h"

#include "sim/demo/session.h"
#include "sim/demo/terminal.h"
#include "sim/demo/wide_text.h"
#include "sim/host/plugin_scan.h"
#include "src/names/list_names.h"

#include <windows.h>

#include <string>
#include <system_error>

namespace demo {
namespace {

namespace fs = std::filesystem;

fs::path chosenGameFolder;
bool keepGameFolder = false;

fs::path GameFolder()
{
    if (!chosenGameFolder.empty())
        return chosenGameFolder;
    return fs::temp_directory_path() / ("varnel-demo-game-" + std::to_string(GetCurrentProcessId()));
}

// What the host loaded from the game folder; Windows keeps a loaded DLL's
// file from being deleted, so the plugins go first.
sim::HostReport loadedPlugins;

void RemoveGameFolder()
{
    sim::UnloadPlugins(loadedPlugins);
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(ignored), ignored);
    if (!keepGameFolder)
        fs::remove_all(GameFolder(), ignored);
}

// Ctrl+C, Ctrl+Break or a closed console window: the folder goes, then the
// default handling ends the process.
BOOL WINAPI OnConsoleEvent(DWORD /*event*/)
{
    RemoveGameFolder();
    return FALSE;
}


fs::path ExeFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

}  // namespace

GameFolderGuard::GameFolderGuard(const std::optional<fs::path>& chosen, bool keep)
{
    if (chosen)
        chosenGameFolder = fs::absolute(*chosen);
    keepGameFolder = chosen && keep;
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

GameFolderGuard::~GameFolderGuard() { RemoveGameFolder(); }

sim::HostReport& LoadedPlugins() { return loadedPlugins; }

fs::path PrepareGameFolder(const fs::path& names, const std::optional<fs::path>& others)
{
    fs::path plugins = GameFolder() / "Data" / "SFSE" / "Plugins";
    fs::remove_all(GameFolder());
    fs::create_directories(plugins);
    fs::copy_file(ExeFolder() / "Varnel.dll", plugins / "Varnel.dll");
    if (others) {
        for (const auto& path : sim::PluginFilesInFolderOrder(*others))
            fs::copy_file(path, plugins / path.filename(), fs::copy_options::overwrite_existing);
    }
    for (const char* list : {varnel::kFemaleNamesFile, varnel::kMaleNamesFile}) {
        if (fs::is_regular_file(names / list))
            fs::copy_file(names / list, plugins / list);
        else
            Say("note: " + Utf8Of(names / list) + " does not exist; SetRandomName will report it missing");
    }
    fs::current_path(GameFolder());
    return plugins;
}

}  // namespace demo
