// The DLL's entry points: what the host calls, and Windows' own entry point.

#include "src/command/messages.h"
#include "src/game/game_addresses.h"
#include "src/plugin/command_install.h"
#include "src/plugin/fatal_error.h"
#include "src/plugin/host_api.h"
#include "src/plugin/plugin_version.h"
#include "src/log/log.h"
#include "src/log/log_line.h"
#include "src/log/log_openings.h"
#include "src/text/utf8.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace varnel {

namespace {

std::uint32_t pluginHandle = 0;
std::atomic<bool> commandInstalled{false};

std::string HexText(std::uint64_t value, int digits)
{
    constexpr const char* hexDigits = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += hexDigits[(value >> shift) & 0x0F];
    return text;
}

void LogInstallation(const Installation& installation)
{
    if (installation.installed) {
        Log(LogText({kLogInstalled,
                     DecimalText(static_cast<std::int64_t>(installation.index)), ", opcode ",
                     HexText(installation.opcode, 8)}));
        return;
    }
    Log(LogText({kLogNotInstalled, installation.missing, "\" among the ",
                 DecimalText(static_cast<std::int64_t>(installation.entriesSearched)),
                 " entries of the console command table. Most likely another plugin has taken or renamed the command."}));
}

void OnHostMessage(sfse::HostMessage* message) noexcept
{
    try {
        if (message->type != sfse::kHostMessageDataLoaded)
            return;
        const Installation installation = InstallSetRandomName(ConsoleCommandTable());
        // Once installed, later messages find no TogglePathLine: nothing new to tell.
        if (commandInstalled)
            return;
        commandInstalled = installation.installed;
        LogInstallation(installation);
    } catch (...) {
        // Nothing may reach the host.
    }
}

void EmptyCallback(void* /*menu*/) {}

void LogLoad(HMODULE game)
{
    Log(LogText({VARNEL_PLUGIN_NAME " " VARNEL_VERSION_TEXT " (Varnel.dll), built for Starfield " VARNEL_GAME_RUNTIME_TEXT, kLogLoaded,
                 game != nullptr ? HexText(reinterpret_cast<std::uintptr_t>(game), 16) : "unknown"}));
}

void LogNotOffered(std::string_view why) noexcept
{
    try {
        Log(LogText({why, kLogNotOffered}));
    } catch (...) {
        // No memory for the line: the load's own result stands.
    }
}

bool LoadPlugin(const sfse::HostInterface* host)
{
    OpenLog();
    commandInstalled = false;
    pluginHandle = host->getPluginHandle();
    const HMODULE game = GetModuleHandleW(nullptr);
    RememberGameModule(reinterpret_cast<std::uintptr_t>(game));
    LogLoad(game);
    if (game == nullptr) {
        const std::string message = ComposeFatalErrorText(kLoadFailureFunction, kLoadFailureLine, kLoadFailureText);
        Log(LogText({kLogFatal, Escaped(message)}));
        ReportFatalError(message, SFSEPlugin_Version);
        return false;
    }
    // Both interfaces are needed: without one the plugin would be half set up.
    const auto* messaging = static_cast<const sfse::MessagingInterface*>(host->queryInterface(sfse::kMessagingInterfaceId));
    const auto* menus = static_cast<const sfse::MenuInterface*>(host->queryInterface(sfse::kMenuInterfaceId));
    if (messaging == nullptr || menus == nullptr) {
        LogNotOffered(messaging == nullptr ? "The script extender offers no messaging interface (id 1)"
                                           : "The script extender offers no menu interface (id 3)");
        return false;
    }
    // A refused listener would never hear of the game's data, so the command
    // would never come: the load has failed, and the host must say so. Nothing
    // goes to interface 3 then, since the host frees a plugin that answers false.
    if (!messaging->registerListener(pluginHandle, "SFSE", &OnHostMessage)) {
        LogNotOffered(LogText({kLogListenerRefused, DecimalText(pluginHandle),
                               ". The usual cause is plugins before Varnel.dll in Data\\SFSE\\Plugins that failed "
                               "to load (see sfse.txt in this folder)"}));
        return false;
    }
    Log(LogText({"Listening to the script extender's messages (plugin handle ", DecimalText(pluginHandle), ")"}));
    menus->registerMenuMovieCallback(&EmptyCallback);
    return true;
}

}  // namespace
}  // namespace varnel

// The exports and Windows' entry point, with C linkage under their exact
// names, outside every namespace.
extern "C" bool SFSEPlugin_Load(const sfse::HostInterface* host) noexcept
{
    try {
        return varnel::LoadPlugin(host);
    } catch (...) {
        varnel::LogNotOffered(varnel::kLogLoadException);
        return false;
    }
}

BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD /*reason*/, LPVOID /*reserved*/) { return TRUE; }
