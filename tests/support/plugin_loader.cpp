#include "support/plugin_loader.h"

#include "sim/host/pe_image.h"
#include "src/plugin/host_api.h"

#include <windows.h>

LoadedPlugin LoadPluginLibrary(const std::string& path)
{
    LoadedPlugin plugin;
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        return plugin;
    plugin.module = module;
    plugin.load = reinterpret_cast<bool (*)(const void*)>(
        reinterpret_cast<void*>(GetProcAddress(module, sfse::kLoadExportName)));
    plugin.versionRecord = reinterpret_cast<const void*>(GetProcAddress(module, sfse::kVersionExportName));
    return plugin;
}

