// The version record the host reads from the DLL file before it runs any of
// the plugin's code: constant-initialised, never written.
#include "src/plugin/host_api.h"
#include "src/plugin/plugin_version.h"

// Exported with C linkage under its exact name, outside every namespace.
extern "C" constinit const sfse::PluginVersionData SFSEPlugin_Version = {
    sfse::kPluginVersionDataFormat,
    sfse::EncodeVersion(VARNEL_VERSION_MAJOR, VARNEL_VERSION_MINOR, VARNEL_VERSION_BUILD, VARNEL_VERSION_SUB_BUILD),
    VARNEL_PLUGIN_NAME,
    VARNEL_AUTHOR,
    0,
    0,
    {sfse::EncodeVersion(VARNEL_GAME_RUNTIME_MAJOR, VARNEL_GAME_RUNTIME_MINOR, VARNEL_GAME_RUNTIME_BUILD, 0)},
    0,
    0,
    0,
};
