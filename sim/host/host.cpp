#include "sim/host/host.h"

#include "sim/game/console.h"
#include "sim/game/game_image.h"
#include "src/plugin/host_api.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace sim {
namespace {

// The records as bytes, each a slot longer than the host's declaration, so
// that every slot (named or not, and one past the end) can hold a function
// that counts calls through the wrong slot.
constexpr std::size_t kSpareSlot = 8;
HostRecord host;
alignas(16) std::array<std::uint8_t, sizeof(sfse::HostInterface) + kSpareSlot> hostInterface{};
alignas(16) std::array<std::uint8_t, sizeof(sfse::MessagingInterface) + kSpareSlot> messagingInterface{};
alignas(16) std::array<std::uint8_t, sizeof(sfse::MenuInterface) + kSpareSlot> menuInterface{};

std::uint64_t WrongSlot()
{
    ++host.wrongSlotCalls;
    return 0;
}

void ThrowIfChosen(const char* call)
{
    if (host.throwingCall == call)
        throw std::runtime_error(std::string("simulated host: ") + call + " failed");
}

std::uint32_t GetPluginHandle()
{
    ThrowIfChosen("getPluginHandle");
    ++host.handleRequests;
    return host.pluginHandle;
}

void* QueryInterface(std::uint32_t id)
{
    ThrowIfChosen("queryInterface");
    host.queriedIds.push_back(id);
    if (id == sfse::kMessagingInterfaceId && host.offersMessaging)
        return messagingInterface.data();
    if (id == sfse::kMenuInterfaceId && host.offersMenus)
        return menuInterface.data();
    return nullptr;
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
    if (sender == nullptr)
        return kEveryOtherPlugin;
    if (_stricmp(sender, "SFSE") == 0)
        return 0;
    for (std::size_t i = 0; i < host.listedNames.size(); ++i) {
        if (_stricmp(host.listedNames[i].c_str(), sender) == 0)
            return static_cast<std::uint32_t>(i + 1);
    }
    return kNoSuchSender;
}

std::uint64_t RegisterListener(std::uint32_t plugin, const char* sender, sfse::HostMessageListener listener)
{
    ThrowIfChosen("registerListener");
    host.log.push_back(std::string("registering plugin listener for ") + (sender != nullptr ? sender : "(null)") +
                       " at " + std::to_string(plugin) + " of " + std::to_string(host.pluginCount + 1));
    const std::uint32_t target = SenderHandle(sender);
    if (plugin > host.pluginCount || listener == nullptr || target == kNoSuchSender) {
        host.refusedListeners.push_back(plugin);
        return kListenerRefused;
    }
    const bool known = std::any_of(host.listeners.begin(), host.listeners.end(), [&](const ListenerRegistration& r) {
        return r.plugin == plugin && r.target == target;
    });
    if (!known)
        host.listeners.push_back({plugin, sender != nullptr ? sender : "(null)", target, listener});
    return kListenerAccepted;
}

// The host's function returns nothing; what it leaves in the result
// register is 0 here, so a plugin that read a result would see a refusal.
std::uint64_t RegisterMenuMovieCallback(sfse::MenuMovieCallback callback)
{
    ThrowIfChosen("registerMenuMovieCallback");
    host.menuCallbacks.push_back(callback);
    return 0;
}

// Every 8-byte slot of a record gets a function that counts wrong calls,
// then the named slots get theirs.
template <std::size_t N>
void FillWithWrongSlots(std::array<std::uint8_t, N>& record)
{
    for (std::size_t at = 0; at + 8 <= N; at += 8)
        Store(record.data(), at, reinterpret_cast<const void*>(&WrongSlot));
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

// True when calling `function` is safe; otherwise the game has crashed:
// said in the log and recorded as a fault, and the host calls nothing more.
bool SurvivesCall(const void* function, const std::string& what)
{
    if (host.crashed)
        return false;
    const UnloadedModule* freed = FreedCodeOf(function);
    if (freed == nullptr)
        return true;
    host.crashed = true;
    const std::string crash = "GAME CRASH: " + what + " calls into " + freed->file + ", which the host unloaded";
    host.log.push_back(crash);
    RecordFault(crash);
    return false;
}

}  // namespace

HostRecord& Host() { return host; }

void ResetHost()
{
    host = {};
    FillWithWrongSlots(hostInterface);
    Store(hostInterface.data(), offsetof(sfse::HostInterface, queryInterface), &QueryInterface);
    Store(hostInterface.data(), offsetof(sfse::HostInterface, getPluginHandle), &GetPluginHandle);
    FillWithWrongSlots(messagingInterface);
    Store(messagingInterface.data(), offsetof(sfse::MessagingInterface, registerListener), &RegisterListener);
    FillWithWrongSlots(menuInterface);
    Store(menuInterface.data(), offsetof(sfse::MenuInterface, registerMenuMovieCallback), &RegisterMenuMovieCallback);
}

const void* HostInterfaceRecord() { return hostInterface.data(); }

void SendHostMessage(std::uint32_t type)
{
    if (host.crashed)
        return;
    host.log.push_back("dispatch message (" + std::to_string(static_cast<std::int32_t>(type)) + ") to plugin listeners");
    if (host.listeners.empty() && host.refusedListeners.empty()) {  // no plugin ever asked
        host.log.push_back("no listeners registered");
        return;
    }
    const bool carriesData = type == sfse::kHostMessageDataLoaded || type == sfse::kHostMessagePostDataLoaded;
    for (std::size_t i = 0; i < host.listeners.size(); ++i) {  // a listener may register more
        const ListenerRegistration registration = host.listeners[i];
        if (registration.target != 0)
            continue;
        if (!SurvivesCall(reinterpret_cast<const void*>(registration.listener), "message " + std::to_string(type)))
            return;
        // A fresh record for each listener, as the host makes; the bytes
        // after it hold the type's complement, so a listener that reads past
        // the record sees another type.
        alignas(16) std::array<std::uint8_t, sizeof(sfse::HostMessage) + 8> message{};
        Store<std::uint64_t>(message.data(), sizeof(sfse::HostMessage), ~std::uint64_t{type});
        Store(message.data(), offsetof(sfse::HostMessage, sender), "SFSE");
        Store(message.data(), offsetof(sfse::HostMessage, type), type);
        Store<std::uint32_t>(message.data(), offsetof(sfse::HostMessage, dataLength), carriesData ? 8 : 0);
        Store(message.data(), offsetof(sfse::HostMessage, data), carriesData ? DataHandler() : nullptr);
        registration.listener(reinterpret_cast<sfse::HostMessage*>(message.data()));
    }
}

void MenuMovieLoaded()
{
    static std::uint8_t menu[64];
    for (std::size_t i = 0; i < host.menuCallbacks.size(); ++i) {
        const sfse::MenuMovieCallback callback = host.menuCallbacks[i];
        if (!SurvivesCall(reinterpret_cast<const void*>(callback), "a menu's movie callback"))
            return;
        callback(menu);
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
    std::erase_if(host.menuCallbacks, [&](sfse::MenuMovieCallback c) { return inModule(reinterpret_cast<const void*>(c)); });
}

}  // namespace sim
