#pragma once

// What the script-extender host and its plugins agree on: the version record
// a plugin exports, the interface records the host hands it, and the messages
// the host sends. Both sides read this one header; neither keeps its own copy
// of a number in it. Only the fields used here are named; the rest is padding
// that keeps every named field at its offset. All little-endian, 64-bit.

#include <cstddef>
#include <cstdint>

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
inline constexpr std::uint32_t kMenuInterfaceId = 3;

// Handed to SFSEPlugin_Load; owned by the host.
struct HostInterface {
    std::uint8_t unknown00[0x10];                      // 0x00
    void* (*queryInterface)(std::uint32_t id);         // 0x10 the interface's record, or null
    std::uint32_t (*getPluginHandle)();                // 0x18 this plugin's handle
};
static_assert(sizeof(HostInterface) == 0x20);
static_assert(offsetof(HostInterface, queryInterface) == 0x10);
static_assert(offsetof(HostInterface, getPluginHandle) == 0x18);

// Interface kMessagingInterfaceId.
struct MessagingInterface {
    std::uint8_t unknown00[8];                                                         // 0x00
    // 0x08 false (in the low 8 bits of the result) when refused: a plugin
    // handle above the host's count of plugins, no listener, or a sender
    // that is neither "SFSE" nor a listed plugin
    bool (*registerListener)(std::uint32_t plugin, const char* sender, HostMessageListener listener);
};
static_assert(sizeof(MessagingInterface) == 0x10);
static_assert(offsetof(MessagingInterface, registerListener) == 0x08);

// Interface kMenuInterfaceId: the menus.
struct MenuInterface {
    std::uint8_t unknown00[8];                                  // 0x00
    void (*registerMenuMovieCallback)(MenuMovieCallback callback);  // 0x08 no result
};
static_assert(sizeof(MenuInterface) == 0x10);
static_assert(offsetof(MenuInterface, registerMenuMovieCallback) == 0x08);

// The names under which a plugin exports its record and its entry points.
inline constexpr const char* kVersionExportName = "SFSEPlugin_Version";
inline constexpr const char* kLoadExportName = "SFSEPlugin_Load";
// Called, when a plugin exports it, before any plugin's load function.
inline constexpr const char* kPreloadExportName = "SFSEPlugin_Preload";

}  // namespace sfse

// ---- The plugin's exports ----

extern "C" const sfse::PluginVersionData SFSEPlugin_Version;
extern "C" bool SFSEPlugin_Load(const sfse::HostInterface* host) noexcept;
