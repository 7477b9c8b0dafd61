#pragma once

// What the script-extender host and its plugins agree on: the version record
// a plugin exports, the interface records the host hands it, and the messages
// the host sends. Both sides read this one header; neither keeps its own copy
// of a number in it. Only the fields used here are named; the rest is padding
// that keeps every named field at its offset. All little-endian, 64-bit.

#include <cstddef>
#include <cstdint>
#include <string>

// The host's names: the script extender's, neither the plugin's nor the
// simulation's.
namespace sfse {

// ---- The version record (export SFSEPlugin_Version) ----

// Plugin and game versions: major in bits 24 to 31, minor in 16 to 23, build
// in 4 to 15, sub-build in 0 to 3.
constexpr std::uint32_t EncodeVersion(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                                      std::uint32_t subBuild)
{
    return (major & 0xFF) << 24 | (minor & 0xFF) << 16 | (build & 0xFFF) << 4 | (subBuild & 0xF);
}
constexpr std::uint32_t VersionMajor(std::uint32_t version) { return version >> 24; }
constexpr std::uint32_t VersionMinor(std::uint32_t version) { return version >> 16 & 0xFF; }
constexpr std::uint32_t VersionBuild(std::uint32_t version) { return version >> 4 & 0xFFF; }
constexpr std::uint32_t VersionSubBuild(std::uint32_t version) { return version & 0xF; }

// "1.15.216": a runtime as the host and its players write it (the host's own
// version too: 0x00020110 is "0.2.17"); with `subBuild`, "2.6.0.0".
inline std::string VersionText(std::uint32_t version, bool subBuild = false)
{
    std::string text = std::to_string(VersionMajor(version)) + "." + std::to_string(VersionMinor(version)) + "." +
                       std::to_string(VersionBuild(version));
    return subBuild ? text + "." + std::to_string(VersionSubBuild(version)) : text;
}

inline constexpr std::uint32_t kPluginVersionDataFormat = 1;
inline constexpr std::size_t kPluginNameSize = 256;
inline constexpr std::size_t kCompatibleVersionCount = 16;

// Read by the host from the DLL file before any of the plugin's code runs.
struct PluginVersionData {
    std::uint32_t recordVersion;            // 0x000 layout of this record: kPluginVersionDataFormat
    std::uint32_t pluginVersion;            // 0x004 encoded as above
    char name[kPluginNameSize];             // 0x008 ASCII, zero-ended, rest zero; empty: refused
    char author[256];                       // 0x108 ASCII, zero-ended, rest zero
    std::uint32_t addressIndependence;      // 0x208 kAddressIndependent... flags; 0: bound to the listed game versions
    std::uint32_t structureIndependence;    // 0x20C kStructureIndependent... flags; 0: bound to the listed game versions
    std::uint32_t compatibleVersions[kCompatibleVersionCount];  // 0x210 game versions, ended by the first 0
    std::uint32_t minimumHostVersion;       // 0x250 0: any
    std::uint32_t compatibleChanges;        // 0x254 reserved for changes that keep compatibility; 0
    std::uint32_t breakingChanges;          // 0x258 changes that break compatibility; non-zero: never independent
};
static_assert(sizeof(PluginVersionData) == 604);
static_assert(offsetof(PluginVersionData, recordVersion) == 0x000);
static_assert(offsetof(PluginVersionData, pluginVersion) == 0x004);
static_assert(offsetof(PluginVersionData, name) == 0x008);
static_assert(offsetof(PluginVersionData, author) == 0x108);
static_assert(offsetof(PluginVersionData, addressIndependence) == 0x208);
static_assert(offsetof(PluginVersionData, structureIndependence) == 0x20C);
static_assert(offsetof(PluginVersionData, compatibleVersions) == 0x210);
static_assert(offsetof(PluginVersionData, minimumHostVersion) == 0x250);
static_assert(offsetof(PluginVersionData, compatibleChanges) == 0x254);
static_assert(offsetof(PluginVersionData, breakingChanges) == 0x258);

// The independence flags the host counts; other bits do not count. A record
// is version independent when it has one of each and no breaking changes.
inline constexpr std::uint32_t kAddressIndependentBySignatures = 1U << 0;     // scans for code signatures
inline constexpr std::uint32_t kAddressLibraryFirstForm = 1U << 1;             // needs the library file; not independent
inline constexpr std::uint32_t kAddressIndependentByAddressLibrary = 1U << 2;  // address library, second form
inline constexpr std::uint32_t kStructureIndependentNoStructures = 1U << 0;    // uses no game structures
inline constexpr std::uint32_t kStructureIndependentLayout11470 = 1U << 3;     // the 1.14.70 layout

// ---- Messages (delivered to a listener registered through interface 1) ----

inline constexpr std::uint32_t kHostMessagePostLoad = 0;          // every plugin has loaded
inline constexpr std::uint32_t kHostMessagePostPostLoad = 1;      // after every post-load listener
inline constexpr std::uint32_t kHostMessageDataLoaded = 2;        // the game's data has loaded
inline constexpr std::uint32_t kHostMessagePostDataLoaded = 3;    // after every data-loaded listener

struct HostMessage {
    const char* sender;                  // 0x00 "SFSE" for the host's own messages
    std::uint32_t type;                  // 0x08 one of kHostMessage...
    std::uint32_t dataLength;            // 0x0C bytes at data: 0 for types 0 and 1, 8 for 2 and 3
    void* data;                          // 0x10 types 2 and 3: the game's data handler; else null
};
static_assert(sizeof(HostMessage) == 0x18);
static_assert(offsetof(HostMessage, sender) == 0x00);
static_assert(offsetof(HostMessage, type) == 0x08);
static_assert(offsetof(HostMessage, dataLength) == 0x0C);
static_assert(offsetof(HostMessage, data) == 0x10);

using HostMessageListener = void (*)(HostMessage* message);
// Called by the host after each menu's movie has loaded, with the menu.
using MenuMovieCallback = void (*)(void* menu);

// ---- Interfaces ----

inline constexpr std::uint32_t kMessagingInterfaceId = 1;
inline constexpr std::uint32_t kTrampolineInterfaceId = 2;
inline constexpr std::uint32_t kMenuInterfaceId = 3;
inline constexpr std::uint32_t kTaskInterfaceId = 4;

// What the host tells of a loaded plugin by name (GetPluginInfo).
struct PluginInfo {
    std::uint32_t infoVersion;           // 0x00 kPluginInfoVersion
    const char* name;                    // 0x08 the name of its version record
    std::uint32_t version;               // 0x10 its plugin version, encoded
};
inline constexpr std::uint32_t kPluginInfoVersion = 1;
static_assert(sizeof(PluginInfo) == 0x18);
static_assert(offsetof(PluginInfo, name) == 0x08);
static_assert(offsetof(PluginInfo, version) == 0x10);

// Handed to SFSEPlugin_Preload and SFSEPlugin_Load; owned by the host.
struct HostInterface {
    std::uint32_t hostVersion;                         // 0x00 the script extender's version, encoded
    std::uint32_t runtimeVersion;                      // 0x04 the game's runtime, encoded
    std::uint32_t interfaceVersion;                    // 0x08 kHostInterfaceVersion
    void* (*queryInterface)(std::uint32_t id);         // 0x10 the interface's record, or null
    // 0x18 this plugin's handle; only while the host calls the plugin's
    // preload or load function (any other time it fails the host's assertion)
    std::uint32_t (*getPluginHandle)();
    const PluginInfo* (*getPluginInfo)(const char* name);  // 0x20 a loaded plugin's, by name; null for none
};
inline constexpr std::uint32_t kHostInterfaceVersion = 1;
static_assert(sizeof(HostInterface) == 0x28);
static_assert(offsetof(HostInterface, hostVersion) == 0x00);
static_assert(offsetof(HostInterface, runtimeVersion) == 0x04);
static_assert(offsetof(HostInterface, interfaceVersion) == 0x08);
static_assert(offsetof(HostInterface, queryInterface) == 0x10);
static_assert(offsetof(HostInterface, getPluginHandle) == 0x18);
static_assert(offsetof(HostInterface, getPluginInfo) == 0x20);

// Interface kMessagingInterfaceId.
struct MessagingInterface {
    std::uint32_t interfaceVersion;                                                    // 0x00 1
    // 0x08 false (in the low 8 bits of the result) when refused: a plugin
    // handle above the host's count of plugins, no listener, or a sender
    // that is neither "SFSE" nor a listed plugin
    bool (*registerListener)(std::uint32_t plugin, const char* sender, HostMessageListener listener);
    // 0x10 sends a message from plugin `sender` to its listeners, or to the
    // one named `receiver`; false when none heard it
    bool (*dispatch)(std::uint32_t sender, std::uint32_t type, void* data, std::uint32_t dataLength,
                     const char* receiver);
};
static_assert(sizeof(MessagingInterface) == 0x18);
static_assert(offsetof(MessagingInterface, interfaceVersion) == 0x00);
static_assert(offsetof(MessagingInterface, registerListener) == 0x08);
static_assert(offsetof(MessagingInterface, dispatch) == 0x10);

// Interface kTrampolineInterfaceId: room for branches near the game's code.
struct TrampolineInterface {
    std::uint32_t interfaceVersion;                                       // 0x00 1
    void* (*allocateFromBranchPool)(std::uint32_t plugin, std::size_t size);  // 0x08
    void* (*allocateFromLocalPool)(std::uint32_t plugin, std::size_t size);   // 0x10
};
static_assert(sizeof(TrampolineInterface) == 0x18);
static_assert(offsetof(TrampolineInterface, interfaceVersion) == 0x00);
static_assert(offsetof(TrampolineInterface, allocateFromBranchPool) == 0x08);
static_assert(offsetof(TrampolineInterface, allocateFromLocalPool) == 0x10);

// Called by the host once the game's Scaleform manager exists, with it.
using ScaleformManagerCallback = void (*)(void* manager);

// Interface kMenuInterfaceId: the menus.
struct MenuInterface {
    std::uint32_t interfaceVersion;                                 // 0x00 2
    void (*registerMenuMovieCallback)(MenuMovieCallback callback);  // 0x08 no result
    void (*registerScaleformManagerCallback)(ScaleformManagerCallback callback);  // 0x10 no result; version 2
};
static_assert(sizeof(MenuInterface) == 0x18);
static_assert(offsetof(MenuInterface, interfaceVersion) == 0x00);
static_assert(offsetof(MenuInterface, registerMenuMovieCallback) == 0x08);
static_assert(offsetof(MenuInterface, registerScaleformManagerCallback) == 0x10);

// A task a plugin hands the host: an object whose first field is its table
// of two functions, Run (slot 0) and Destroy (slot 1), called on the game's
// main thread.
struct TaskDelegate {
    const void* const* functions;                                   // 0x00 {Run, Destroy}, each (TaskDelegate*)
};

// Interface kTaskInterfaceId.
struct TaskInterface {
    std::uint32_t interfaceVersion;              // 0x00 1
    void (*addTask)(TaskDelegate* task);         // 0x08 run once, then destroyed
    void (*addTaskPermanent)(TaskDelegate* task);  // 0x10 run every frame
};
static_assert(sizeof(TaskInterface) == 0x18);
static_assert(offsetof(TaskInterface, interfaceVersion) == 0x00);
static_assert(offsetof(TaskInterface, addTask) == 0x08);
static_assert(offsetof(TaskInterface, addTaskPermanent) == 0x10);

// The names under which a plugin exports its record and its entry points.
inline constexpr const char* kVersionExportName = "SFSEPlugin_Version";
inline constexpr const char* kLoadExportName = "SFSEPlugin_Load";
// Called, when a plugin exports it, before any plugin's load function.
inline constexpr const char* kPreloadExportName = "SFSEPlugin_Preload";

}  // namespace sfse

// ---- The plugin's exports ----

extern "C" const sfse::PluginVersionData SFSEPlugin_Version;
extern "C" bool SFSEPlugin_Load(const sfse::HostInterface* host) noexcept;
