// Plugins that go wrong in the host's hands, one kind per build:
// TEST_PLUGIN_FAULTING      its load call writes through a null pointer;
// TEST_PLUGIN_REFUSING      its load call answers false;
// TEST_PLUGIN_NO_VERSION    it exports no version record;
// TEST_PLUGIN_NO_LOAD       it exports no load function (nor a preload one); loaded,
//                           it says so in the environment variable TEST_PLUGIN_RAN;
// TEST_PLUGIN_PRELOAD_FAILS its preload call answers false (its load would succeed);
// TEST_PLUGIN_REGISTERS_THEN_REFUSES its load call registers a listener for
//                           "SFSE" and a menu callback, then answers false.

// Its entry points are declared in the host's header and exported as a DLL
// without any dllexport exports every global name.

#include "sim/game/game_image.h"
#include "src/plugin/host_api.h"

#include <windows.h>

#include <cstdint>

#if defined(TEST_PLUGIN_REGISTERS_THEN_REFUSES)
namespace {
void Listen(sfse::HostMessage* /*message*/) {}
void OnMenu(void* /*menu*/) {}
}  // namespace
#endif

#if !defined(TEST_PLUGIN_NO_VERSION)
extern "C" const sfse::PluginVersionData SFSEPlugin_Version = {
    1, 0x01020030, "Test plugin", "Tests", 0, 0,
    {sim::kRuntimeMajor << 24 | sim::kRuntimeMinor << 16 | sim::kRuntimeBuild << 4}, 0, 0, 0};
#endif

#if defined(TEST_PLUGIN_PRELOAD_FAILS)
extern "C" bool SFSEPlugin_Preload(const void* /*host*/) { return false; }
#endif

#if !defined(TEST_PLUGIN_NO_LOAD)
extern "C" bool SFSEPlugin_Load(const sfse::HostInterface* host) noexcept
{
#if defined(TEST_PLUGIN_FAULTING)
    static_cast<void>(host);
    static volatile std::uintptr_t nowhere = 0;
    // An access violation, as a broken plugin makes: the fault under test.
    *reinterpret_cast<volatile int*>(nowhere) = 1;  // NOLINT(clang-analyzer-core.NullDereference)
    return false;
#elif defined(TEST_PLUGIN_REGISTERS_THEN_REFUSES)
    const auto* messaging = static_cast<const sfse::MessagingInterface*>(host->queryInterface(sfse::kMessagingInterfaceId));
    const auto* menus = static_cast<const sfse::MenuInterface*>(host->queryInterface(sfse::kMenuInterfaceId));
    messaging->registerListener(host->getPluginHandle(), "SFSE", &Listen);
    menus->registerMenuMovieCallback(&OnMenu);
    return false;
#elif defined(TEST_PLUGIN_PRELOAD_FAILS)
    static_cast<void>(host);
    return true;
#else
    static_cast<void>(host);
    return false;
#endif
}
#endif

#if defined(TEST_PLUGIN_NO_LOAD)
BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH)
        SetEnvironmentVariableW(L"TEST_PLUGIN_RAN", L"1");
    return TRUE;
}
#endif
