#pragma once

// The version record the host reads from the DLL file before it runs any of
// the plugin's code: constant-initialised, never written.

#include <cstddef>
#include <cstdint>

// Major in bits 24 to 31, minor in 16 to 23, build in 4 to 15, sub-build in 0 to 3.
constexpr std::uint32_t EncodeVersion(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                                      std::uint32_t subBuild)
{
    return (major & 0xFF) << 24 | (minor & 0xFF) << 16 | (build & 0xFFF) << 4 | (subBuild & 0xF);
}

struct PluginVersionData {
    std::uint32_t recordVersion;            // 0x000 layout of this record: 1
    std::uint32_t pluginVersion;            // 0x004 encoded as above
    char name[256];                         // 0x008 ASCII, zero-ended, rest zero
    char author[256];                       // 0x108 ASCII, zero-ended, rest zero
    std::uint32_t addressIndependence;      // 0x208 flags; 0: bound to the listed game versions
    std::uint32_t structureIndependence;    // 0x20C flags; 0: bound to the listed game versions
    std::uint32_t compatibleVersions[16];   // 0x210 game versions, ended by the first 0
    std::uint32_t minimumHostVersion;       // 0x250 0: any
    std::uint32_t reserved1;                // 0x254
    std::uint32_t reserved2;                // 0x258
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
static_assert(offsetof(PluginVersionData, reserved1) == 0x254);
static_assert(offsetof(PluginVersionData, reserved2) == 0x258);

extern "C" const PluginVersionData SFSEPlugin_Version;
