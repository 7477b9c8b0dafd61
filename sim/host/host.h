#pragma once

// The simulated script-extender host: the records it hands a plugin, and a
// record of every call the plugin makes on them.

#include "src/plugin/host_api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct ListenerRegistration {
    std::uint32_t plugin;
    std::string sender;  // "(null)" when the plugin passed none
    sfse::HostMessageListener listener;
};

struct HostRecord {
    // Set by a test before the plugin loads.
    std::uint32_t pluginHandle = 0x2A;
    bool offersMessaging = true;    // interface 1
    bool offersCallbacks = true;    // interface 3
    // The real host refuses a listener whose plugin handle is above its count
    // of plugins; StartHost sets the count for each load call.
    std::uint32_t pluginCount = 0xFFFFFFFF;
    bool callbackRegistrationSucceeds = true;
    // The one call that throws a C++ exception into the plugin, by name:
    // "getPluginHandle", "queryInterface", "registerListener",
    // "registerCallback"; empty: none.
    std::string throwingCall;
    // What the plugin did.
    int handleRequests = 0;
    std::vector<std::uint32_t> queriedIds;
    std::vector<ListenerRegistration> listeners;  // those accepted
    std::vector<std::uint32_t> refusedListeners;  // plugin handles of those refused
    std::vector<sfse::HostCallback> callbacks;  // given to interface 3
    int wrongSlotCalls = 0;        // calls through a slot the host does not offer
};

HostRecord& Host();
void ResetHost();

// The HostInterface record handed to SFSEPlugin_Load.
const void* HostInterfaceRecord();

// Delivers a message of `type` to every registered listener.
void SendHostMessage(std::uint32_t type);

}  // namespace sim
