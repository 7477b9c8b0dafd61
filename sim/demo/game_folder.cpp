#include "sim/demo/game_folder.h"

#include "sim/demo/session.h"
#include "sim/demo/terminal.h"
#include "sim/demo/wide_text.h"
#include "sim/host/plugin_scan.h"
#include "sim/loader/game_files.h"
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

fs::path PluginFolderOf(const fs::path& gameFolder) { return gameFolder / "Data" / "SFSE" / "Plugins"; }

fs::path PrepareGameFolder(const Options& options)
{
    const fs::path plugins = PluginFolderOf(GameFolder());
    fs::remove_all(GameFolder());
    fs::create_directories(plugins);
    sim::WriteGameExe(GameFolder(), options.runtime);
    sim::WriteHostFiles(GameFolder(), options.release);
    fs::copy_file(ExeFolder() / "Varnel.dll", plugins / "Varnel.dll");
    if (options.plugins) {
        for (const auto& path : sim::PluginFilesInFolderOrder(*options.plugins))
            fs::copy_file(path, plugins / path.filename(), fs::copy_options::overwrite_existing);
    }
    for (const char* list : {varnel::kFemaleNamesFile, varnel::kMaleNamesFile}) {
        if (fs::is_regular_file(options.names / list))
            fs::copy_file(options.names / list, plugins / list);
        else
            Say("note: " + Utf8Of(options.names / list) + " does not exist; SetRandomName will report it missing");
    }
    fs::current_path(GameFolder());
    return GameFolder();
}

}  // namespace demo
