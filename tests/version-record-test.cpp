// The version record the host reads, against what CMake sets: the version,
// the name, the author and the game runtime, each written once there.
#include "src/plugin/host_api.h"
#include "support/expected_version.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionRecord, HoldsWhatCMakeSets)
{
    const sfse::PluginVersionData& record = SFSEPlugin_Version;
    EXPECT_EQ(record.recordVersion, 1U);
    EXPECT_EQ(record.pluginVersion, kExpectedPluginVersion);
    EXPECT_STREQ(record.name, VARNEL_PLUGIN_NAME);
    EXPECT_STREQ(record.author, VARNEL_AUTHOR);
    EXPECT_EQ(record.compatibleVersions[0], kExpectedGameRuntime);
    for (std::size_t i = 1; i < std::size(record.compatibleVersions); ++i)
        EXPECT_EQ(record.compatibleVersions[i], 0U) << i;
    // Bound to that runtime: no independence, no breaking changes, any host.
    EXPECT_EQ(record.addressIndependence, 0U);
    EXPECT_EQ(record.structureIndependence, 0U);
    EXPECT_EQ(record.minimumHostVersion, 0U);
    EXPECT_EQ(record.compatibleChanges, 0U);
    EXPECT_EQ(record.breakingChanges, 0U);
}

}  // namespace
