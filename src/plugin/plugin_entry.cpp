// The DLL's entry points: what the host calls, and Windows' own entry point.

#include "command/messages.h"
#include "game/game_addresses.h"
#include "plugin/command_install.h"
#include "plugin/fatal_error.h"
#include "plugin/host_api.h"

#include <windows.h>

namespace varnel {

namespace {

std::uint32_t pluginHandle = 0;

void OnHostMessage(sfse::HostMessage* message) noexcept
{
    try {
        if (message->type == sfse::kHostMessageDataLoaded)
            InstallSetRandomName(ConsoleCommandTable());
    } catch (...) {
        // Nothing may reach the host.
    }
}

void EmptyCallback(void* /*menu*/) {}

bool LoadPlugin(const sfse::HostInterface* host)
{
    pluginHandle = host->getPluginHandle();
    const HMODULE game = GetModuleHandleW(nullptr);
    RememberGameModule(reinterpret_cast<std::uintptr_t>(game));
    if (game == nullptr) {
        const std::string message = ComposeFatalErrorText(kLoadFailureFunction, kLoadFailureLine, kLoadFailureText);
        ReportFatalError(message, SFSEPlugin_Version);
        return false;
    }
    // Both interfaces are needed: without one the plugin would be half set up.
    const auto* messaging = static_cast<const sfse::MessagingInterface*>(host->queryInterface(sfse::kMessagingInterfaceId));
    const auto* menus = static_cast<const sfse::MenuInterface*>(host->queryInterface(sfse::kMenuInterfaceId));
    if (messaging == nullptr || menus == nullptr)
        return false;
    // A refused listener would never hear of the game's data, so the command
    // would never come: the load has failed, and the host must say so. Nothing
    // goes to interface 3 then, since the host frees a plugin that answers false.
    if (!messaging->registerListener(pluginHandle, "SFSE", &OnHostMessage))
        return false;
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
        return false;
    }
}

BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD /*reason*/, LPVOID /*reserved*/) { return TRUE; }
