// The host contract against the numbers the host uses, written here: the
// plugin and the simulated host share one header, so only these numbers can
// tell that header wrong.
#include "plugin/host_api.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

struct Field {
    const char* name;
    std::size_t declared;
    std::size_t expected;
};

TEST(HostApi, EveryRecordFieldIsWhereTheHostPutsIt)
{
    const Field fields[] = {
        {"version record size", sizeof(PluginVersionData), 604},
        {"record format", offsetof(PluginVersionData, recordVersion), 0},
        {"plugin version", offsetof(PluginVersionData, pluginVersion), 4},
        {"name", offsetof(PluginVersionData, name), 8},
        {"name size", sizeof(PluginVersionData::name), 256},
        {"author", offsetof(PluginVersionData, author), 264},
        {"address independence", offsetof(PluginVersionData, addressIndependence), 520},
        {"structure independence", offsetof(PluginVersionData, structureIndependence), 524},
        {"compatible versions", offsetof(PluginVersionData, compatibleVersions), 528},
        {"compatible version count", std::size(PluginVersionData{}.compatibleVersions), 16},
        {"minimum host version", offsetof(PluginVersionData, minimumHostVersion), 592},
        {"changes that keep compatibility", offsetof(PluginVersionData, compatibleChanges), 596},
        {"breaking changes", offsetof(PluginVersionData, breakingChanges), 600},
        {"host: query interface", offsetof(HostInterface, queryInterface), 16},
        {"host: get plugin handle", offsetof(HostInterface, getPluginHandle), 24},
        {"messaging: register listener", offsetof(MessagingInterface, registerListener), 8},
        {"interface 3: register callback", offsetof(CallbackInterface, registerCallback), 8},
        {"message type", offsetof(HostMessage, type), 8},
    };
    for (const auto& field : fields)
        EXPECT_EQ(field.declared, field.expected) << field.name;
}

TEST(HostApi, IdsAndMessageTypesAreTheHostsNumbers)
{
    EXPECT_EQ(kMessagingInterfaceId, 1U);
    EXPECT_EQ(kCallbackInterfaceId, 3U);
    EXPECT_EQ(kHostMessagePostLoad, 0U);
    EXPECT_EQ(kHostMessagePostPostLoad, 1U);
    EXPECT_EQ(kHostMessageDataLoaded, 2U);
    EXPECT_EQ(kHostMessagePostDataLoaded, 3U);
    EXPECT_EQ(kPluginVersionDataFormat, 1U);
}

TEST(HostApi, IndependenceFlagsAreTheBitsTheHostCounts)
{
    EXPECT_EQ(kAddressIndependentBySignatures, 0x1U);
    EXPECT_EQ(kAddressIndependentByAddressLibrary, 0x4U);
    EXPECT_EQ(kStructureIndependentNoStructures, 0x1U);
    EXPECT_EQ(kStructureIndependentLayout11470, 0x8U);
}

TEST(HostApi, VersionsAreEncodedAsTheHostReadsThem)
{
    EXPECT_EQ(EncodeVersion(1, 14, 70, 0), 0x010E0460U);
    EXPECT_EQ(EncodeVersion(2, 6, 0, 0), 0x02060000U);
    EXPECT_EQ(EncodeVersion(255, 255, 4095, 15), 0xFFFFFFFFU);
    EXPECT_EQ(EncodeVersion(0, 0, 1, 0), 0x10U);
}

TEST(HostApi, MessageTypeIsReadFromItsBytes)
{
    unsigned char bytes[sizeof(HostMessage)] = {};
    bytes[8] = 0x02;
    HostMessage message;
    std::memcpy(&message, bytes, sizeof message);
    EXPECT_EQ(message.type, kHostMessageDataLoaded);
}

}  // namespace
