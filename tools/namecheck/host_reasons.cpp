#include "tools/namecheck/host_reasons.h"

#include "src/plugin/plugin_version.h"

#include <cstring>
#include <iterator>

namespace varnel {

const HostReason kHostReasons[] = {
    {kReasonWrongRuntime,
     "your game is not runtime " VARNEL_GAME_RUNTIME_TEXT ", the only one this plugin is built for (its memory offsets "
     "are that runtime's). Use the game version " VARNEL_GAME_RUNTIME_TEXT ", or wait for a build of the plugin for "
     "your version; nothing else helps."},
    {"disabled, requires newer script extender", "your SFSE is older than the plugin asks for: update SFSE."},
    {"disabled, bad version data", "the DLL is damaged: reinstall the zip."},
    {"disabled, no name specified", "the DLL is damaged: reinstall the zip."},
    {"no version data", "the file is not this plugin (no box is shown for it): reinstall the zip."},
    {"32-bit plugins can never work", "the file is not this plugin: reinstall the zip."},
    {"couldn't load plugin",
     "Windows could not load the DLL (the code is Windows' error number): the file is damaged, or Windows blocked it "
     "as downloaded (right-click it, Properties, tick Unblock), or it cannot be read; unblock it or reinstall the zip."},
    {kReasonLoadFault,
     "the plugin crashed while loading (the log gives code 0, the box none): reinstall the zip; if it stays, report "
     "it with sfse.txt."},
    {kReasonRefusedInLoad,
     "the plugin could not register with the script extender. Most often plugins before it failed to load (the "
     "script extender then refuses the plugins after them): update or remove the plugins listed in the same box. "
     "Otherwise SFSE did not offer what the plugin needs: update SFSE."},
    {kScanStopped,
     "a line of its own, right after checking plugin <file>: that file, a DLL that is not an SFSE plugin (any DLL "
     "without exports does it), stopped SFSE's scan, and no plugin after it (this one included, if it comes later) "
     "was checked or loaded, with no box to say so. Keep only SFSE plugins in Data\\SFSE\\Plugins."},
};
const std::size_t kHostReasonCount = std::size(kHostReasons);

const HostReason* FindHostReason(const char* reason)
{
    for (const HostReason& row : kHostReasons) {
        if (std::strcmp(row.reason, reason) == 0)
            return &row;
    }
    return nullptr;
}

}  // namespace varnel
