#include "sim/host/plugin_checks.h"

#include <fstream>

namespace sim {
namespace {

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
    const bool independent = VersionIndependent(record);
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
