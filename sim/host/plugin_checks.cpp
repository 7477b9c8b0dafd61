#include "sim/host/plugin_checks.h"

#include <cstring>
#include <fstream>

namespace sim {
namespace {

// The host's list of plugin versions known to be broken (kPluginCompatList):
// a version below the minimum is refused with its reason; the last entry
// refuses nothing, it only counts as not version independent.
struct KnownBadPlugin {
    const char* name;
    const char* reason;
    std::uint32_t minimumVersion;
    bool refused;                // kCompat_BlockFromRuntime
    bool notVersionIndependent;  // kCompat_NotVersionIndependent
};
constexpr KnownBadPlugin kKnownBadPlugins[] = {
    {"BakaAchievementEnabler", "broken before plugin version 2.0.0", sfse::EncodeVersion(2, 0, 0, 0), true, false},
    {"BakaKillMyGames", "broken before plugin version 2.0.0", sfse::EncodeVersion(2, 0, 0, 0), true, false},
    {"BakaQuitGameFix", "broken before plugin version 2.0.0", sfse::EncodeVersion(2, 0, 0, 0), true, false},
    {"BakaQuickFullSaves", "broken before plugin version 2.0.0", sfse::EncodeVersion(2, 0, 0, 0), true, false},
    {"StarfieldRadio", "crashes due to bad version data (update past version 1.0.3)", 10001, true, false},
    {"SaveTweaks", "crashes due to bad version data (update past version 3)", 4, true, false},
    {"Starfield-NoAffinityLoss", "crashes due to bad version data (update past version 1.3.0)", 10301, true, false},
    {"Starfield Engine Fixes - SFSE Plugin by LarannKiar", "not version independent", 0, false, true},
};

const KnownBadPlugin* KnownBad(const sfse::PluginVersionData& record)
{
    for (const KnownBadPlugin& entry : kKnownBadPlugins) {
        if (std::strcmp(entry.name, record.name) == 0)
            return &entry;
    }
    return nullptr;
}

bool VersionIndependent(const sfse::PluginVersionData& record)
{
    const bool address = (record.addressIndependence & (sfse::kAddressIndependentBySignatures |
                                                        sfse::kAddressIndependentByAddressLibrary)) != 0;
    const bool structure = (record.structureIndependence & (sfse::kStructureIndependentNoStructures |
                                                            sfse::kStructureIndependentLayout11470)) != 0;
    return address && structure && record.breakingChanges == 0;
}

bool AddressLibraryFound(std::uint32_t runtime, HostReport& report)
{
    if (!report.addressLibraryFound) {
        const std::string file = "Data\\SFSE\\Plugins\\versionlib-" + std::to_string(sfse::VersionMajor(runtime)) +
                                 "-" + std::to_string(sfse::VersionMinor(runtime)) + "-" +
                                 std::to_string(sfse::VersionBuild(runtime)) + "-0.bin";
        report.addressLibraryFound = std::ifstream(file, std::ios::binary).is_open();
    }
    return *report.addressLibraryFound;
}

bool ListsRuntime(const sfse::PluginVersionData& record, std::uint32_t runtime)
{
    for (const std::uint32_t version : record.compatibleVersions) {
        if (version == runtime)
            return true;
        if (version == 0)
            return false;
    }
    return false;
}

}  // namespace

std::string CheckRecord(const sfse::PluginVersionData& record, const HostStartup& startup, HostReport& report)
{
    if (record.recordVersion == 0)
        return "disabled, bad version data";
    if (record.name[0] == 0)
        return "disabled, no name specified";
    const KnownBadPlugin* knownBad = KnownBad(record);
    if (knownBad != nullptr && knownBad->refused && record.pluginVersion < knownBad->minimumVersion)
        return knownBad->reason;
    const bool independent = VersionIndependent(record) && (knownBad == nullptr || !knownBad->notVersionIndependent);
    const std::uint32_t usesLibrary = sfse::kAddressLibraryFirstForm | sfse::kAddressIndependentByAddressLibrary;
    if ((record.addressIndependence & usesLibrary) != 0 && !AddressLibraryFound(startup.runtime, report))
        return "disabled, address library needs to be updated";
    if (!independent && !ListsRuntime(record, startup.runtime))
        return "disabled, incompatible with current version of the game";
    if (record.minimumHostVersion > startup.hostVersion)
        return "disabled, requires newer script extender";
    return {};
}

}  // namespace sim
