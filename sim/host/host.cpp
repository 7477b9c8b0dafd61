#include "sim/host/host.h"

#include "sim/game/game_image.h"
#include "src/plugin/host_api.h"

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
alignas(16) std::array<std::uint8_t, sizeof(sfse::CallbackInterface) + kSpareSlot> callbackInterface{};

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
    if (id == sfse::kCallbackInterfaceId && host.offersCallbacks)
        return callbackInterface.data();
    return nullptr;
}

// The answer is a truth value in the low 8 bits; the bits above are left
// set, so a plugin that reads more than those 8 bits takes a refusal for
// success.
constexpr std::uint64_t kListenerRefused = 0xFFFFFFFFFFFFFF00;
constexpr std::uint64_t kListenerAccepted = 0xFFFFFFFFFFFFFF01;

std::uint64_t RegisterListener(std::uint32_t plugin, const char* sender, sfse::HostMessageListener listener)
{
    ThrowIfChosen("registerListener");
    if (plugin > host.pluginCount) {
        host.refusedListeners.push_back(plugin);
        return kListenerRefused;
    }
    host.listeners.push_back({plugin, sender != nullptr ? sender : "(null)", listener});
    return kListenerAccepted;
}

bool RegisterCallback(sfse::HostCallback callback)
{
    ThrowIfChosen("registerCallback");
    host.callbacks.push_back(callback);
    return host.callbackRegistrationSucceeds;
}

// Every 8-byte slot of a record gets a function that counts wrong calls,
// then the named slots get theirs.
template <std::size_t N>
void FillWithWrongSlots(std::array<std::uint8_t, N>& record)
{
    for (std::size_t at = 0; at + 8 <= N; at += 8)
        Store(record.data(), at, reinterpret_cast<const void*>(&WrongSlot));
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
    FillWithWrongSlots(callbackInterface);
    Store(callbackInterface.data(), offsetof(sfse::CallbackInterface, registerCallback), &RegisterCallback);
}

const void* HostInterfaceRecord() { return hostInterface.data(); }

void SendHostMessage(std::uint32_t type)
{
    // The fields around the type hold its complement, so a listener that
    // reads the wrong field sees another type.
    alignas(16) std::array<std::uint8_t, sizeof(sfse::HostMessage) + 8> message{};
    for (std::size_t at = 0; at < message.size(); at += 4)
        Store<std::uint32_t>(message.data(), at, ~type);
    Store(message.data(), offsetof(sfse::HostMessage, type), type);
    for (const auto& registration : host.listeners)
        registration.listener(reinterpret_cast<sfse::HostMessage*>(message.data()));
}

}  // namespace sim
