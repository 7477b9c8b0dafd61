#include "tools/namecheck/host_reasons.h"

#include "src/plugin/plugin_version.h"

#include <cstring>
#include <iterator>

namespace varnel {

// Every reason sfse\PluginManager.cpp (0.2.17) writes for a plugin, in the
// order it checks them. Two it has are never written, so they have no row:
// "does not appear to be an SFSE plugin" (152; it tests the address of the
// load array, never null) and "disabled, fatal error occurred while checking
// plugin compatibility" (584; the checks read the host's own copy of the
// record and open one file, which cannot fault). The known-bad list's
// "not version independent" (474) only marks a plugin and is never written.
const HostReason kHostReasons[] = {
    {kScanStopped,
     "a line of its own, right after checking plugin <file>: that file, a DLL that is not an SFSE plugin (any DLL "
     "without exports does it), stopped SFSE's scan, and no plugin after it (this one included, if it comes later) "
     "was checked or loaded, with no box to say so. Keep only SFSE plugins in Data\\SFSE\\Plugins."},
    {"couldn't load plugin",
     "Windows could not load the DLL; the code is Windows' error number (the checker says the common ones in words): "
     "2 or 3 the file is gone, 5 access denied (an antivirus, or no right to read it), 126 a DLL it needs is missing, "
     "193 it is not a 64-bit DLL or is damaged, 1114 its start-up code failed. For Varnel.dll, which needs only "
     "Windows' own DLLs, reinstall the zip, and let your antivirus allow it."},
    {"32-bit plugins can never work", "the file is not this plugin: reinstall the zip."},
    {"no version data", "the file is not this plugin (no box is shown for it): reinstall the zip."},
    {"disabled, bad version data", "the DLL is damaged: reinstall the zip."},
    {"disabled, no name specified", "the DLL is damaged: reinstall the zip."},
    {"broken before plugin version 2.0.0", "SFSE knows this version of that plugin to be broken: update it."},
    {"crashes due to bad version data (update past version 1.0.3)", "SFSE knows this version of that plugin to crash: update it."},
    {"crashes due to bad version data (update past version 3)", "SFSE knows this version of that plugin to crash: update it."},
    {"crashes due to bad version data (update past version 1.3.0)", "SFSE knows this version of that plugin to crash: update it."},
    {"disabled, address library needs to be updated",
     "that plugin needs the Address Library's file for your game version (Varnel.dll does not): install or update "
     "the Address Library, or update the plugin."},
    {kReasonWrongRuntime,
     "your game is not runtime " VARNEL_GAME_RUNTIME_TEXT ", the only one this plugin is built for (its memory offsets "
     "are that runtime's). Use the game version " VARNEL_GAME_RUNTIME_TEXT ", or wait for a build of the plugin for "
     "your version; nothing else helps."},
    {"disabled, requires newer script extender", "your SFSE is older than the plugin asks for: update SFSE."},
    {kReasonRefusedInLoad,
     "the plugin could not register with the script extender. Most often plugins before it failed while SFSE loaded "
     "them (SFSE then refuses the listeners of the plugins after them): update or remove those plugins. The "
     "checker reads the plugin's own log to tell which."},
    {kReasonLoadFault,
     "the plugin crashed while loading (the log gives code 0, the box none): reinstall the zip; if it stays, report "
     "it with sfse.txt."},
};
const std::size_t kHostReasonCount = std::size(kHostReasons);

const WindowsError kWindowsErrors[] = {
    {2, "the file is not there", "reinstall the zip"},
    {3, "its folder is not there", "reinstall the zip"},
    {5, "access denied: an antivirus holds it, or this Windows user may not read it",
     "let your antivirus allow it, or reinstall the zip as this user"},
    {126, "a DLL it needs is missing", "install what that plugin needs (its page says), or remove it"},
    {193, "it is not a 64-bit DLL, or it is damaged", "reinstall it"},
    {1114, "its start-up code failed", "update or remove it"},
};

const HostReason* FindHostReason(const char* reason)
{
    for (const HostReason& row : kHostReasons) {
        if (std::strcmp(row.reason, reason) == 0)
            return &row;
    }
    return nullptr;
}

const WindowsError* FindWindowsError(long code)
{
    for (const WindowsError& row : kWindowsErrors) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

}  // namespace varnel
