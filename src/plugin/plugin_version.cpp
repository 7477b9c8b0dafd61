#include "plugin/plugin_version.h"

extern "C" constinit const PluginVersionData SFSEPlugin_Version = {
    1,
    EncodeVersion(2, 6, 0, 0),
    "Varnel - SFSE Plugin by Dorrik",
    "Dorrik",
    0,
    0,
    {EncodeVersion(1, 15, 216, 0)},  // Starfield runtime 1.15.216
    0,
    0,
    0,
};
