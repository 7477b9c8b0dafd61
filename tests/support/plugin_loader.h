#pragma once

// Loads a plugin DLL directly, without the simulated host's checks, and lets
// tests stand in for the Windows functions it imports.

#include <string>

struct LoadedPlugin {
    void* module = nullptr;                    // null when the DLL did not load
    bool (*load)(const void* host) = nullptr;  // SFSEPlugin_Load
    const void* versionRecord = nullptr;       // SFSEPlugin_Version
};

LoadedPlugin LoadPluginLibrary(const std::string& path);

// Points the module's import of `function` from `dll` at `replacement` and
// returns what it pointed at before (null when the module imports no such
// function).

