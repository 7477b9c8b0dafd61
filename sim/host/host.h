#pragma once

// The simulated script-extender host: the records it hands a plugin, its
// listeners and menu callbacks as the real host keeps them, its log, and a
// record of every call the plugin makes on them.

#include "src/plugin/host_api.h"

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sim {

// A registration the host accepted, as the plugin made it.
struct ListenerRegistration {
    std::uint32_t plugin;    // the handle the plugin gave
    std::string sender;      // as given; "(null)" when none
    sfse::HostMessageListener listener;
};

// One entry of a sender's listener list.
struct ListenerEntry {
    std::uint32_t plugin;    // the listening plugin's handle
    sfse::HostMessageListener listener;
};

// A plugin the host freed; its code is gone.
struct UnloadedModule {
    std::string file;
    std::uintptr_t begin;
    std::uintptr_t end;
};

// A log line that begins with one of these is the simulation's report of a
// crash, or of a plugin ending the game's process, never a line the host
// writes: it stays out of sfse.txt.
inline constexpr const char* kCrashReport = "GAME CRASH: ";
inline constexpr const char* kGameEndedReport = "GAME ENDED: ";
inline bool IsSimulationReport(const std::string& line)
{
    return line.rfind(kCrashReport, 0) == 0 || line.rfind(kGameEndedReport, 0) == 0;
}

// What a test chooses of the host before a plugin loads.
struct HostSettings {
    bool offersMessaging = true;    // interface 1
    bool offersMenus = true;        // interface 3
    // The one call that throws a C++ exception into the plugin, by name:
    // "getPluginHandle", "queryInterface", "registerListener",
    // "registerMenuMovieCallback"; empty: none.
    std::string throwingCall;
};

// What the host holds and acts on.
struct HostRecord {
    // What the host's record tells every plugin: its version and the game's.
    std::uint32_t hostVersion = 0;
    std::uint32_t runtimeVersion = 0;
    // The handle GetPluginHandle answers: StartHost sets it for each plugin
    // it calls; a test loading a plugin alone may set it first.
    std::uint32_t pluginHandle = 0x2A;
    // The host is calling a plugin's preload or load function, the only time
    // GetPluginHandle answers; StartHost clears it after the load phase.
    bool callingPlugin = true;
    // The host's count of plugins while one loads: a listener whose plugin
    // handle is above it is refused. StartHost sets it; a test loading a
    // plugin alone gets room for any handle it gives (below 0x10000).
    std::uint32_t pluginCount = 0xFFFF;
    // The names of the plugins in the host's list, in its order: the senders
    // other than "SFSE" a listener may name.
    std::vector<std::string> listedNames;
    // The host's log line by line, as written to sfse.txt (in the Logs folder
    // of Documents\My Games\Starfield\SFSE), and the simulation's crash
    // report (kCrashReport) last.
    std::vector<std::string> log;
    // What GetPluginInfo answers: the plugins that loaded, once all have.
    std::vector<std::string> infoNames;
    std::vector<sfse::PluginInfo> infos;
    // Tasks handed to interface 4, run by RunGameFrame.
    std::vector<sfse::TaskDelegate*> tasks;
    std::vector<sfse::TaskDelegate*> permanentTasks;
    std::vector<ListenerRegistration> listeners;  // those accepted, in order
    // The host's listener lists, one per sender handle (0: the host itself),
    // as PluginManager.cpp keeps them: grown by any registration to the
    // count of plugins and six more, a null sender's listener put on each
    // list but the host's and its own.
    std::vector<std::vector<ListenerEntry>> listenerLists;
    std::vector<sfse::MenuMovieCallback> menuCallbacks;  // given to interface 3, in order
    std::vector<sfse::ScaleformManagerCallback> scaleformCallbacks;  // given to interface 3 (version 2), in order
    std::vector<UnloadedModule> unloaded;         // plugins the host freed
    bool gone = false;                            // the game crashed or ended: the host calls nothing more
};

// What the plugins asked of the host, for the tests to read.
struct PluginCallRecord {
    int handleRequests = 0;
    std::vector<std::uint32_t> queriedIds;
    std::vector<std::uint32_t> refusedListeners;  // plugin handles of those refused
    int wrongSlotCalls = 0;        // calls through a slot the host does not offer
};

HostSettings& Settings();
HostRecord& Host();
PluginCallRecord& Calls();
// All three as a new game start has them.
void ResetHost();

// The HostInterface record handed to SFSEPlugin_Load.
const void* HostInterfaceRecord();

// Writes one line of the host's log: into HostRecord::log and, once
// OpenHostLogFile has made it, into sfse.txt's stream, which writes it out
// as the host's does (each 4096 bytes, and at FlushHostLogFile).
void HostLog(const std::string& line);

// Writes out what sfse.txt's stream holds: the host does after "init
// complete" and before ending the game on Yes in its failure box; the game
// does at a normal exit.
void FlushHostLogFile();

// Where the host writes sfse.txt; empty without a Documents folder.
std::filesystem::path HostLogFilePath();

// Makes Documents\My Games\Starfield\SFSE\Logs\sfse.txt anew, as the host
// does at each start, Documents found through the shell with "create" set.
void OpenHostLogFile();

// The game has crashed because of `what`: reported as the simulation's
// (kCrashReport) in the log and among the game's faults; the host calls
// nothing more, and what sfse.txt's stream had not written out is lost.
void ReportCrash(const std::string& what);

// A plugin called TerminateProcess on the game (caught through its import,
// which the host's loading replaces): reported as the simulation's
// (kGameEndedReport); what sfse.txt's stream had not written out is lost,
// and the host calls nothing more. Ends the plugin's call with the
// exception kGameEndedException, which the host's guard takes.
BOOL WINAPI PluginEndsProcess(HANDLE process, UINT exitCode);
inline constexpr std::uint32_t kGameEndedException = 0xE0474D45;

// One frame of the game's main thread: the tasks plugins handed the host
// run, those given once then destroyed.
void RunGameFrame();

// The host sends message `type` to the listeners of "SFSE", in the order
// they registered; types 2 and 3 carry the game's data handler.
void SendHostMessage(std::uint32_t type);

// A menu's movie has loaded: the host calls every menu callback.
void MenuMovieLoaded();

// The game has made its Scaleform manager: the host calls every Scaleform
// manager callback with it.
void ScaleformManagerMade();

// Forgets the listeners and menu callbacks whose code lies in `module`:
// for the simulation's own clean-up, never done by the real host.
void ForgetCodeIn(const void* module);

}  // namespace sim
