// Plugins that go wrong in the host's hands, one kind per build:
// TEST_PLUGIN_FAULTING      its load call writes through a null pointer;
// TEST_PLUGIN_REFUSING      its load call answers false;
// TEST_PLUGIN_NO_VERSION    it exports no version record;
// TEST_PLUGIN_NO_LOAD       it exports no load function (nor a preload one); loaded,
//                           it says so in the environment variable TEST_PLUGIN_RAN;
// TEST_PLUGIN_PRELOAD_FAILS its preload call answers false (its load would succeed);
// TEST_PLUGIN_REGISTERS_THEN_REFUSES its load call registers a listener for
//                           "SFSE" and a menu callback, then answers false;
// TEST_PLUGIN_INSPECTS      as plugins built on the field's common libraries do,
//                           its load call checks the host's and the game's
//                           versions, queries every interface and hands the
//                           host a task; it tells what it saw in its export
//                           TestPluginSeen;
// TEST_PLUGIN_LATE_HANDLE   its listener asks the host for its plugin handle
//                           when the host's first message comes;
// TEST_PLUGIN_RAISES        its load call raises an exception of its own code;
// TEST_PLUGIN_TAKES_COMMAND as another console-command plugin may, its load
//                           call gives the game's TogglePathLine entry a name
//                           of its own;
// TEST_PLUGIN_ENDS_GAME     its load call ends the game's process, as a plugin's
//                           own fatal error report does;
// TEST_PLUGIN_EXHAUSTS_TRAMPOLINE its load call asks the branch pool for more
//                           than it holds.

// Its entry points are declared in the host's header and exported as a DLL
// without any dllexport exports every global name.

#include "sim/game/command_table.h"
#include "sim/game/game_image.h"
#include "src/plugin/host_api.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#if defined(TEST_PLUGIN_INSPECTS)
// What the plugin saw, read by the test through the export.
struct Seen {
    std::uint32_t hostVersion;
    std::uint32_t runtimeVersion;
    std::uint32_t interfaceVersion;
    std::uint32_t interfaceVersions[6];  // of ids 0 to 5; 0xFFFFFFFF when the host gave null
    unsigned long dllMainThread;
    unsigned long loadThread;
    int threadAttachesBeforeLoad;        // threads begun between DllMain and Load
    unsigned long threadLocalSeen;       // a thread-local value set in DllMain, as Load reads it
    unsigned long taskThread;            // the thread its task ran on; 0 until it ran
    int taskRuns;
    std::uint32_t infoVersionOfItself;   // what GetPluginInfo told of it at the host's first message
    char taskOrder[8];                   // each run in turn: P its permanent task, O its task, F the task O adds
    std::int64_t branchStep;             // between two 1-byte allocations from the branch pool
    const void* scaleformManager;        // what its Scaleform manager callback was given; null until called
};
extern "C" {
Seen TestPluginSeen = {};
}
thread_local unsigned long threadLocal = 0;
int threadAttaches = 0;
#endif
#if defined(TEST_PLUGIN_REGISTERS_THEN_REFUSES)
namespace {
void Listen(sfse::HostMessage* /*message*/) {}
void OnMenu(void* /*menu*/) {}
}  // namespace
#endif

#if defined(TEST_PLUGIN_LATE_HANDLE) || defined(TEST_PLUGIN_INSPECTS)
namespace {
const sfse::HostInterface* savedHost = nullptr;
}  // namespace
#endif

#if defined(TEST_PLUGIN_LATE_HANDLE)
namespace {
void AskLate(sfse::HostMessage* /*message*/) { static_cast<void>(savedHost->getPluginHandle()); }
}  // namespace
#endif

#if defined(TEST_PLUGIN_INSPECTS)
namespace {
void AskInfo(sfse::HostMessage* message)
{
    const sfse::PluginInfo* info = savedHost->getPluginInfo("Test plugin");
    if (message->type == sfse::kHostMessagePostLoad && info != nullptr)
        TestPluginSeen.infoVersionOfItself = info->version;
}

const sfse::TaskInterface* savedTasks = nullptr;

void Ran(char which)
{
    const std::size_t at = std::strlen(TestPluginSeen.taskOrder);
    if (at + 1 < sizeof TestPluginSeen.taskOrder)
        TestPluginSeen.taskOrder[at] = which;
}

void RunFollowUp(sfse::TaskDelegate* /*task*/) { Ran('F'); }
void RunPermanent(sfse::TaskDelegate* /*task*/) { Ran('P'); }
void DestroyTask(sfse::TaskDelegate* /*task*/) {}
const void* const followUpFunctions[] = {reinterpret_cast<const void*>(&RunFollowUp),
                                         reinterpret_cast<const void*>(&DestroyTask)};
sfse::TaskDelegate followUp{followUpFunctions};
const void* const permanentFunctions[] = {reinterpret_cast<const void*>(&RunPermanent),
                                          reinterpret_cast<const void*>(&DestroyTask)};
sfse::TaskDelegate permanent{permanentFunctions};

// Adds a task of its own while the host runs its tasks.
void RunTask(sfse::TaskDelegate* /*task*/)
{
    TestPluginSeen.taskThread = GetCurrentThreadId();
    ++TestPluginSeen.taskRuns;
    Ran('O');
    savedTasks->addTask(&followUp);
}
const void* const taskFunctions[] = {reinterpret_cast<const void*>(&RunTask), reinterpret_cast<const void*>(&DestroyTask)};
sfse::TaskDelegate task{taskFunctions};

void SeeManager(void* manager) { TestPluginSeen.scaleformManager = manager; }
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
#elif defined(TEST_PLUGIN_LATE_HANDLE)
    savedHost = host;
    const auto* messaging = static_cast<const sfse::MessagingInterface*>(host->queryInterface(sfse::kMessagingInterfaceId));
    return messaging->registerListener(host->getPluginHandle(), "SFSE", &AskLate);
#elif defined(TEST_PLUGIN_RAISES)
    static_cast<void>(host);
    RaiseException(0xE0C0FFEE, 0, 0, nullptr);
    return true;
#elif defined(TEST_PLUGIN_EXHAUSTS_TRAMPOLINE)
    const auto* trampoline =
        static_cast<const sfse::TrampolineInterface*>(host->queryInterface(sfse::kTrampolineInterfaceId));
    return trampoline->allocateFromBranchPool(host->getPluginHandle(), std::size_t{64} * 1024 + 1) != nullptr;
#elif defined(TEST_PLUGIN_ENDS_GAME)
    static_cast<void>(host);
    TerminateProcess(GetCurrentProcess(), 3);
    return true;
#elif defined(TEST_PLUGIN_TAKES_COMMAND)
    static_cast<void>(host);
    static const char ownName[] = "AnotherPluginsCommand";
    auto* entry = reinterpret_cast<std::uint8_t*>(GetModuleHandleW(nullptr)) + sim::kCommandTableOffset;
    for (int i = 0; i < 2000; ++i, entry += sim::kCommandEntrySize) {
        const char* name = nullptr;
        std::memcpy(&name, entry + sim::kEntryNameAt, sizeof name);
        if (name != nullptr && std::strcmp(name, "TogglePathLine") == 0) {
            const char* renamed = ownName;
            std::memcpy(entry + sim::kEntryNameAt, &renamed, sizeof renamed);
            return true;
        }
    }
    return false;
#elif defined(TEST_PLUGIN_INSPECTS)
    savedHost = host;
    TestPluginSeen.hostVersion = host->hostVersion;
    TestPluginSeen.runtimeVersion = host->runtimeVersion;
    TestPluginSeen.interfaceVersion = host->interfaceVersion;
    TestPluginSeen.loadThread = GetCurrentThreadId();
    TestPluginSeen.threadAttachesBeforeLoad = threadAttaches;
    TestPluginSeen.threadLocalSeen = threadLocal;
    for (std::uint32_t id = 0; id < 6; ++id) {
        const auto* record = static_cast<const std::uint32_t*>(host->queryInterface(id));
        TestPluginSeen.interfaceVersions[id] = record != nullptr ? *record : 0xFFFFFFFF;
    }
    if (host->hostVersion < 0x00020110 || host->runtimeVersion != 0x010F0D80)
        return false;
    const auto* messaging = static_cast<const sfse::MessagingInterface*>(host->queryInterface(sfse::kMessagingInterfaceId));
    const auto* tasks = static_cast<const sfse::TaskInterface*>(host->queryInterface(sfse::kTaskInterfaceId));
    savedTasks = tasks;
    tasks->addTask(&task);
    tasks->addTaskPermanent(&permanent);
    const auto* trampoline =
        static_cast<const sfse::TrampolineInterface*>(host->queryInterface(sfse::kTrampolineInterfaceId));
    const auto* first = static_cast<const char*>(trampoline->allocateFromBranchPool(host->getPluginHandle(), 1));
    const auto* second = static_cast<const char*>(trampoline->allocateFromBranchPool(host->getPluginHandle(), 1));
    TestPluginSeen.branchStep = second - first;
    static_cast<const sfse::MenuInterface*>(host->queryInterface(sfse::kMenuInterfaceId))
        ->registerScaleformManagerCallback(&SeeManager);
    return messaging->registerListener(host->getPluginHandle(), "SFSE", &AskInfo);
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
#elif defined(TEST_PLUGIN_INSPECTS)
BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        TestPluginSeen.dllMainThread = GetCurrentThreadId();
        threadLocal = GetCurrentThreadId();
    }
    if (reason == DLL_THREAD_ATTACH)
        ++threadAttaches;
    return TRUE;
}
#endif
