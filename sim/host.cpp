#include "sim/host.h"

#include "sim/game_image.h"

#include <array>
#include <stdexcept>

namespace sim {
namespace {

constexpr std::size_t kQueryInterfaceAt = 0x10;
constexpr std::size_t kGetPluginHandleAt = 0x18;
constexpr std::size_t kRegisterAt = 0x08;
constexpr std::size_t kMessageTypeAt = 0x08;
constexpr std::uint32_t kMessagingId = 1;
constexpr std::uint32_t kCallbackId = 3;

HostRecord host;
alignas(16) std::array<std::uint8_t, 0x30> hostInterface{};
alignas(16) std::array<std::uint8_t, 0x18> messagingInterface{};
alignas(16) std::array<std::uint8_t, 0x18> callbackInterface{};

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
    if (id == kMessagingId && host.offersMessaging)
        return messagingInterface.data();
    if (id == kCallbackId && host.offersCallbacks)
        return callbackInterface.data();
    return nullptr;
}

bool RegisterListener(std::uint32_t plugin, const char* sender, void* listener)
{
    ThrowIfChosen("registerListener");
    host.listeners.push_back({plugin, sender != nullptr ? sender : "(null)", listener});
    return host.registrationSucceeds;
}

bool RegisterCallback(void* callback)
{
    ThrowIfChosen("registerCallback");
    host.callbacks.push_back(callback);
    return host.registrationSucceeds;
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
    Store(hostInterface.data(), kQueryInterfaceAt, reinterpret_cast<const void*>(&QueryInterface));
    Store(hostInterface.data(), kGetPluginHandleAt, reinterpret_cast<const void*>(&GetPluginHandle));
    FillWithWrongSlots(messagingInterface);
    Store(messagingInterface.data(), kRegisterAt, reinterpret_cast<const void*>(&RegisterListener));
    FillWithWrongSlots(callbackInterface);
    Store(callbackInterface.data(), kRegisterAt, reinterpret_cast<const void*>(&RegisterCallback));
}

const void* HostInterfaceRecord() { return hostInterface.data(); }

void SendHostMessage(std::uint32_t type)
{
    // The fields around the type hold its complement, so a listener that
    // reads the wrong field sees another type.
    alignas(16) std::array<std::uint8_t, 0x18> message{};
    for (std::size_t at = 0; at < message.size(); at += 4)
        Store<std::uint32_t>(message.data(), at, ~type);
    Store(message.data(), kMessageTypeAt, type);
    using Listener = void (*)(void* message);
    for (const auto& registration : host.listeners)
        reinterpret_cast<Listener>(registration.listener)(message.data());
}

}  // namespace sim
