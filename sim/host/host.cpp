#include "sim/host/host.h"

#include "sim/game/console.h"
#include "sim/game/game_image.h"
#include "sim/host/guarded_call.h"
#include "sim/host/host_report.h"
#include "src/plugin/host_api.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace sim {
namespace {

HostSettings settings;
HostRecord host;
PluginCallRecord calls;

// The records as bytes, each a slot longer than the host's declaration, so
// that the slot one past the end can hold a function that counts calls
// through a slot the host does not offer.
constexpr std::size_t kSpareSlot = 8;
alignas(16) std::array<std::uint8_t, sizeof(sfse::HostInterface) + kSpareSlot> hostInterface{};
alignas(16) std::array<std::uint8_t, sizeof(sfse::MessagingInterface) + kSpareSlot> messagingInterface{};
alignas(16) std::array<std::uint8_t, sizeof(sfse::TrampolineInterface) + kSpareSlot> trampolineInterface{};
alignas(16) std::array<std::uint8_t, sizeof(sfse::MenuInterface) + kSpareSlot> menuInterface{};
alignas(16) std::array<std::uint8_t, sizeof(sfse::TaskInterface) + kSpareSlot> taskInterface{};
// sfse.txt as the host's C stdio stream holds it (text mode, the runtime
// library's 4096-byte buffer): lines wait in the buffer with LF ends, and go
// out, each LF as CR LF, whenever the buffer fills and when the host flushes.
constexpr std::size_t kStreamBufferSize = 4096;
std::ofstream hostLogFile;
std::string hostLogBuffer;

void WriteOutText(std::string_view text)
{
    for (const char c : text) {
        if (c == '\n')
            hostLogFile << '\r';
        hostLogFile << c;
    }
    hostLogFile.flush();
}

// The host's two trampoline pools, 64 KiB each.
struct Pool {
    alignas(16) std::array<std::uint8_t, std::size_t{64} * 1024> bytes{};
    std::size_t used = 0;
};
Pool branchPool;
Pool localPool;

std::uint64_t WrongSlot()
{
    ++calls.wrongSlotCalls;
    return 0;
}

void ThrowIfChosen(const char* call)
{
    if (settings.throwingCall == call)
        throw std::runtime_error(std::string("simulated host: ") + call + " failed");
}

// The lines of sfse\PluginManager.cpp (0.2.17) whose ASSERT the host fails
// on: GetPluginHandle outside a plugin's entry point, an exhausted trampoline.
constexpr int kAssertLineGetPluginHandle = 300;
constexpr int kAssertLineTrampolineExhausted = 870;

// The host's ASSERT (sfse_common/Errors.cpp): its message in sfse.txt, then
// an illegal instruction (__ud2). Inside one of the host's guards (the scan,
// a plugin's entry point) that guard takes it as the plugin's fault and
// loading goes on; anywhere else it ends the game.
void HostAssertionFails(int line, const std::string& description)
{
    HostLog("Assertion failed in sfse\\PluginManager.cpp (" + std::to_string(line) + "): " + description);
    if (InsideGuard())
        RaiseException(static_cast<DWORD>(EXCEPTION_ILLEGAL_INSTRUCTION), 0, 0, nullptr);
    ReportCrash("the host halts on an illegal instruction after its failed assertion");
}

std::uint32_t GetPluginHandle()
{
    ThrowIfChosen("getPluginHandle");
    ++calls.handleRequests;
    if (!host.callingPlugin) {
        HostAssertionFails(kAssertLineGetPluginHandle, "A plugin has called SFSEInterface::GetPluginHandle outside of its Query/Load handlers");
        return 0;
    }
    return host.pluginHandle;
}

const sfse::PluginInfo* GetPluginInfo(const char* name)
{
    for (std::size_t i = 0; i < host.infos.size(); ++i) {
        if (name != nullptr && _stricmp(host.infoNames[i].c_str(), name) == 0)
            return &host.infos[i];
    }
    return nullptr;
}

void* QueryInterface(std::uint32_t id)
{
    ThrowIfChosen("queryInterface");
    calls.queriedIds.push_back(id);
    switch (id) {
    case sfse::kMessagingInterfaceId:
        return settings.offersMessaging ? messagingInterface.data() : nullptr;
    case sfse::kTrampolineInterfaceId:
        return trampolineInterface.data();
    case sfse::kMenuInterfaceId:
        return settings.offersMenus ? menuInterface.data() : nullptr;
    case sfse::kTaskInterfaceId:
        return taskInterface.data();
    default: {
        char text[40];
        std::snprintf(text, sizeof text, "unknown QueryInterface %08X", static_cast<unsigned>(id));
        HostLog(text);
        return nullptr;
    }
    }
}

// The answer is a truth value in the low 8 bits; the bits above are left
// set, so a plugin that reads more than those 8 bits takes a refusal for
// success.
constexpr std::uint64_t kListenerRefused = 0xFFFFFFFFFFFFFF00;
constexpr std::uint64_t kListenerAccepted = 0xFFFFFFFFFFFFFF01;
constexpr std::uint32_t kNoSuchSender = 0xFFFFFFFE;

// The host's name lookup: "SFSE" is the host, any other name a listed
// plugin's (both without regard to case), counted from 1 in list order.
std::uint32_t SenderHandle(const char* sender)
{
    if (_stricmp(sender, "SFSE") == 0)
        return 0;
    for (std::size_t i = 0; i < host.listedNames.size(); ++i) {
        if (_stricmp(host.listedNames[i].c_str(), sender) == 0)
            return static_cast<std::uint32_t>(i + 1);
    }
    return kNoSuchSender;
}

bool Lists(const std::vector<ListenerEntry>& list, std::uint32_t plugin)
{
    return std::any_of(list.begin(), list.end(), [&](const ListenerEntry& entry) { return entry.plugin == plugin; });
}

// A null sender's listener goes on every list but the host's and its own,
// as the host's loop puts it; a list that holds it already is skipped with
// `continue`, which skips the index's step too, so from there on the index
// runs one behind and the plugin's own list may get it.
void ListOnEveryOther(std::uint32_t plugin, sfse::HostMessageListener listener)
{
    std::uint32_t index = 0;
    for (std::vector<ListenerEntry>& list : host.listenerLists) {
        if (index != 0 && index != plugin) {
            if (Lists(list, plugin))
                continue;
            list.push_back({plugin, listener});
        }
        ++index;
    }
}

std::uint64_t RegisterListener(std::uint32_t plugin, const char* sender, sfse::HostMessageListener listener)
{
    ThrowIfChosen("registerListener");
    const std::uint32_t count = host.pluginCount + 1;
    if (host.listenerLists.size() < count)
        host.listenerLists.resize(count + 5);
    HostLog(std::string("registering plugin listener for ") + (sender != nullptr ? sender : "(null)") + " at " +
            std::to_string(plugin) + " of " + std::to_string(count));
    const std::uint32_t target = sender != nullptr ? SenderHandle(sender) : 0;
    if (plugin > host.pluginCount || listener == nullptr || target == kNoSuchSender) {
        calls.refusedListeners.push_back(plugin);
        return kListenerRefused;
    }
    if (sender == nullptr)
        ListOnEveryOther(plugin, listener);
    else if (!Lists(host.listenerLists[target], plugin))
        host.listenerLists[target].push_back({plugin, listener});
    host.listeners.push_back({plugin, sender != nullptr ? sender : "(null)", listener});
    return kListenerAccepted;
}

// The plugin the host freed whose code `function` lies in, or null.
const UnloadedModule* FreedCodeOf(const void* function)
{
    const auto at = reinterpret_cast<std::uintptr_t>(function);
    for (const auto& module : host.unloaded) {
        if (at >= module.begin && at < module.end)
            return &module;
    }
    return nullptr;
}

// True when calling `function` is safe; otherwise the game has crashed.
bool SurvivesCall(const void* function, const std::string& what)
{
    if (host.gone)
        return false;
    const UnloadedModule* freed = FreedCodeOf(function);
    if (freed == nullptr)
        return true;
    ReportCrash(what + " calls into " + freed->file + ", which the host unloaded");
    return false;
}

// The name the host gives sender `handle` in its messages: its own, or a
// listed plugin's.
const char* SenderName(std::uint32_t handle)
{
    if (handle == 0)
        return "SFSE";
    return handle <= host.listedNames.size() ? host.listedNames[handle - 1].c_str() : nullptr;
}

// The host's dispatch: to every listener of `sender`, or to the one plugin
// named `receiver`; false when nobody heard it.
bool Dispatch(std::uint32_t sender, std::uint32_t type, void* data, std::uint32_t dataLength, const char* receiver)
{
    if (host.gone)
        return false;
    HostLog("dispatch message (" + std::to_string(static_cast<std::int32_t>(type)) + ") to plugin listeners");
    if (host.listenerLists.empty()) {  // no plugin ever asked
        HostLog("no listeners registered");
        return false;
    }
    if (sender >= host.listenerLists.size()) {
        HostLog("sender is not in the list");
        return false;
    }
    const std::uint32_t target = receiver != nullptr ? SenderHandle(receiver) : kNoSuchSender;
    const char* senderName = SenderName(sender);
    if ((receiver != nullptr && target == kNoSuchSender) || senderName == nullptr)
        return false;
    int heard = 0;
    for (std::size_t i = 0; i < host.listenerLists[sender].size(); ++i) {  // a listener may register more
        const ListenerEntry registration = host.listenerLists[sender][i];
        if (receiver != nullptr && registration.plugin != target)
            continue;
        if (!SurvivesCall(reinterpret_cast<const void*>(registration.listener), "message " + std::to_string(type)))
            return false;
        if (receiver == nullptr)
            HostLog("sending message type " + std::to_string(type) + " to plugin " + std::to_string(registration.plugin));
        // A fresh record for each listener, as the host makes; the bytes
        // after it hold the type's complement, so a listener that reads past
        // the record sees another type.
        alignas(16) std::array<std::uint8_t, sizeof(sfse::HostMessage) + 8> message{};
        Store<std::uint64_t>(message.data(), sizeof(sfse::HostMessage), ~std::uint64_t{type});
        Store(message.data(), offsetof(sfse::HostMessage, sender), senderName);
        Store(message.data(), offsetof(sfse::HostMessage, type), type);
        Store(message.data(), offsetof(sfse::HostMessage, dataLength), dataLength);
        Store(message.data(), offsetof(sfse::HostMessage, data), data);
        registration.listener(reinterpret_cast<sfse::HostMessage*>(message.data()));
        if (host.gone)  // the listener made the game crash
            return false;
        ++heard;
        if (receiver != nullptr)
            return true;
    }
    HostLog("dispatched message.");
    return heard > 0;
}

std::uint64_t DispatchFromPlugin(std::uint32_t sender, std::uint32_t type, void* data, std::uint32_t dataLength,
                                 const char* receiver)
{
    return Dispatch(sender, type, data, dataLength, receiver) ? 1 : 0;
}

void* Allocate(Pool& pool, std::uint32_t plugin, std::size_t size, const char* which)
{
    HostLog("plugin " + std::to_string(plugin) + " allocated " + std::to_string(size) + " bytes from " + which +
            " pool");
    // BranchTrampoline::allocate hands out exactly `size` bytes, unaligned.
    if (size > pool.bytes.size() - pool.used) {
        HostAssertionFails(kAssertLineTrampolineExhausted, "false");
        return nullptr;
    }
    void* memory = pool.bytes.data() + pool.used;
    pool.used += size;
    return memory;
}

void* AllocateFromBranchPool(std::uint32_t plugin, std::size_t size) { return Allocate(branchPool, plugin, size, "branch"); }
void* AllocateFromLocalPool(std::uint32_t plugin, std::size_t size) { return Allocate(localPool, plugin, size, "local"); }

// The host's function returns nothing; what it leaves in the result
// register is 0 here, so a plugin that read a result would see a refusal.
std::uint64_t RegisterMenuMovieCallback(sfse::MenuMovieCallback callback)
{
    ThrowIfChosen("registerMenuMovieCallback");
    host.menuCallbacks.push_back(callback);
    return 0;
}

void RegisterScaleformManagerCallback(sfse::ScaleformManagerCallback callback)
{
    host.scaleformCallbacks.push_back(callback);
}

void AddTask(sfse::TaskDelegate* task) { host.tasks.push_back(task); }
void AddTaskPermanent(sfse::TaskDelegate* task) { host.permanentTasks.push_back(task); }

// Slot `slot` of a task's table of functions, called as a member function is.
void CallTask(sfse::TaskDelegate* task, std::size_t slot)
{
    reinterpret_cast<void (*)(sfse::TaskDelegate*)>(const_cast<void*>(task->functions[slot]))(task);
}

// A record laid out as the host's: zero, its interface version at
// `versionAt`, the spare slot after it counting wrong calls.
template <std::size_t N>
void LayRecord(std::array<std::uint8_t, N>& record, std::size_t versionAt, std::uint32_t interfaceVersion)
{
    record.fill(0);
    Store(record.data(), versionAt, interfaceVersion);
    Store(record.data(), N - kSpareSlot, reinterpret_cast<const void*>(&WrongSlot));
}

}  // namespace

std::filesystem::path HostLogFilePath()
{
    wchar_t documents[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_MYDOCUMENTS | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, documents)))
        return {};
    return std::filesystem::path(documents) / "My Games" / "Starfield" / "SFSE" / "Logs" / "sfse.txt";
}

HostSettings& Settings() { return settings; }
HostRecord& Host() { return host; }
PluginCallRecord& Calls() { return calls; }

void ResetHost()
{
    settings = {};
    host = {};
    calls = {};
    host.hostVersion = kHostVersion;
    host.runtimeVersion = kGameRuntime;
    hostLogFile.close();
    hostLogBuffer.clear();
    branchPool.used = 0;
    localPool.used = 0;
    LayRecord(hostInterface, offsetof(sfse::HostInterface, interfaceVersion), sfse::kHostInterfaceVersion);
    Store(hostInterface.data(), offsetof(sfse::HostInterface, queryInterface), &QueryInterface);
    Store(hostInterface.data(), offsetof(sfse::HostInterface, getPluginHandle), &GetPluginHandle);
    Store(hostInterface.data(), offsetof(sfse::HostInterface, getPluginInfo), &GetPluginInfo);
    LayRecord(messagingInterface, offsetof(sfse::MessagingInterface, interfaceVersion), 1);
    Store(messagingInterface.data(), offsetof(sfse::MessagingInterface, registerListener), &RegisterListener);
    Store(messagingInterface.data(), offsetof(sfse::MessagingInterface, dispatch), &DispatchFromPlugin);
    LayRecord(trampolineInterface, offsetof(sfse::TrampolineInterface, interfaceVersion), 1);
    Store(trampolineInterface.data(), offsetof(sfse::TrampolineInterface, allocateFromBranchPool), &AllocateFromBranchPool);
    Store(trampolineInterface.data(), offsetof(sfse::TrampolineInterface, allocateFromLocalPool), &AllocateFromLocalPool);
    LayRecord(menuInterface, offsetof(sfse::MenuInterface, interfaceVersion), 2);
    Store(menuInterface.data(), offsetof(sfse::MenuInterface, registerMenuMovieCallback), &RegisterMenuMovieCallback);
    Store(menuInterface.data(), offsetof(sfse::MenuInterface, registerScaleformManagerCallback),
          &RegisterScaleformManagerCallback);
    LayRecord(taskInterface, offsetof(sfse::TaskInterface, interfaceVersion), 1);
    Store(taskInterface.data(), offsetof(sfse::TaskInterface, addTask), &AddTask);
    Store(taskInterface.data(), offsetof(sfse::TaskInterface, addTaskPermanent), &AddTaskPermanent);
}

const void* HostInterfaceRecord()
{
    Store(hostInterface.data(), offsetof(sfse::HostInterface, hostVersion), host.hostVersion);
    Store(hostInterface.data(), offsetof(sfse::HostInterface, runtimeVersion), host.runtimeVersion);
    return hostInterface.data();
}

void HostLog(const std::string& line)
{
    host.log.push_back(line);
    if (!hostLogFile.is_open())
        return;
    hostLogBuffer += line;
    hostLogBuffer += '\n';
    for (; hostLogBuffer.size() >= kStreamBufferSize; hostLogBuffer.erase(0, kStreamBufferSize))
        WriteOutText(std::string_view(hostLogBuffer).substr(0, kStreamBufferSize));
}

void FlushHostLogFile()
{
    if (!hostLogFile.is_open())
        return;
    WriteOutText(hostLogBuffer);
    hostLogBuffer.clear();
}

void OpenHostLogFile()
{
    hostLogFile.close();
    hostLogBuffer.clear();
    const std::filesystem::path path = HostLogFilePath();
    if (path.empty())
        return;
    std::error_code ignored;  // a folder that cannot be made: the file cannot be opened below
    std::filesystem::create_directories(path.parent_path(), ignored);
    hostLogFile.open(path, std::ios::binary | std::ios::trunc);
}

namespace {

// The game's process is gone, and with it what sfse.txt's stream had not written out.
void EndProcess(const std::string& report)
{
    host.gone = true;
    hostLogFile.close();
    hostLogBuffer.clear();
    host.log.push_back(report);
}

}  // namespace

void ReportCrash(const std::string& what)
{
    EndProcess(kCrashReport + what);
    RecordFault(host.log.back());
}

BOOL WINAPI PluginEndsProcess(HANDLE process, UINT exitCode)
{
    if (GetProcessId(process) != GetCurrentProcessId())
        return TerminateProcess(process, exitCode);
    EndProcess(kGameEndedReport + std::string("a plugin called TerminateProcess (exit code ") + std::to_string(exitCode) +
               ") while the host called it");
    RaiseException(kGameEndedException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return FALSE;
}

void SendHostMessage(std::uint32_t type)
{
    const bool carriesData = type == sfse::kHostMessageDataLoaded || type == sfse::kHostMessagePostDataLoaded;
    Dispatch(0, type, carriesData ? DataHandler() : nullptr, carriesData ? 8 : 0, nullptr);
}

namespace {

// Each callback in turn with `argument`, as the host's hooks call them; one
// that may register more is followed by those too.
void CallEach(const std::vector<void (*)(void*)>& callbacks, void* argument, const char* what)
{
    for (std::size_t i = 0; i < callbacks.size(); ++i) {
        void (*const callback)(void*) = callbacks[i];
        if (!SurvivesCall(reinterpret_cast<const void*>(callback), what))
            return;
        callback(argument);
    }
}

}  // namespace

void MenuMovieLoaded()
{
    static std::uint8_t menu[64];
    CallEach(host.menuCallbacks, menu, "a menu's movie callback");
}

void ScaleformManagerMade()
{
    // Hooks_Scaleform.cpp (0.2.17): each callback, in order, with the new manager.
    static std::uint8_t manager[64];
    CallEach(host.scaleformCallbacks, manager, "a Scaleform manager callback");
}

void RunGameFrame()
{
    // As Hooks_Command.cpp (0.2.17) runs them: the permanent tasks, then the
    // queue of one-shot tasks until it is empty, tasks added meanwhile too.
    for (std::size_t i = 0; i < host.permanentTasks.size(); ++i)
        CallTask(host.permanentTasks[i], 0);
    while (!host.tasks.empty()) {
        sfse::TaskDelegate* task = host.tasks.front();
        host.tasks.erase(host.tasks.begin());
        CallTask(task, 0);
        CallTask(task, 1);
    }
}

void ForgetCodeIn(const void* module)
{
    const auto* image = static_cast<const std::uint8_t*>(module);
    const auto inModule = [&](const void* function) {
        MEMORY_BASIC_INFORMATION region{};
        return VirtualQuery(function, &region, sizeof region) != 0 && region.AllocationBase == image;
    };
    std::erase_if(host.listeners, [&](const ListenerRegistration& r) { return inModule(reinterpret_cast<const void*>(r.listener)); });
    for (std::vector<ListenerEntry>& list : host.listenerLists)
        std::erase_if(list, [&](const ListenerEntry& e) { return inModule(reinterpret_cast<const void*>(e.listener)); });
    std::erase_if(host.menuCallbacks, [&](sfse::MenuMovieCallback c) { return inModule(reinterpret_cast<const void*>(c)); });
    std::erase_if(host.scaleformCallbacks,
                  [&](sfse::ScaleformManagerCallback c) { return inModule(reinterpret_cast<const void*>(c)); });
}

}  // namespace sim
