// The host contract against the numbers the host uses, written here: the
// plugin and the simulated host share one header, so only these numbers can
// tell that header wrong.
#include "src/plugin/host_api.h"

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
        {"version record size", sizeof(sfse::PluginVersionData), 604},
        {"record format", offsetof(sfse::PluginVersionData, recordVersion), 0},
        {"plugin version", offsetof(sfse::PluginVersionData, pluginVersion), 4},
        {"name", offsetof(sfse::PluginVersionData, name), 8},
        {"name size", sizeof(sfse::PluginVersionData::name), 256},
        {"author", offsetof(sfse::PluginVersionData, author), 264},
        {"address independence", offsetof(sfse::PluginVersionData, addressIndependence), 520},
        {"structure independence", offsetof(sfse::PluginVersionData, structureIndependence), 524},
        {"compatible versions", offsetof(sfse::PluginVersionData, compatibleVersions), 528},
        {"compatible version count", std::size(sfse::PluginVersionData{}.compatibleVersions), 16},
        {"minimum host version", offsetof(sfse::PluginVersionData, minimumHostVersion), 592},
        {"changes that keep compatibility", offsetof(sfse::PluginVersionData, compatibleChanges), 596},
        {"breaking changes", offsetof(sfse::PluginVersionData, breakingChanges), 600},
        {"host: query interface", offsetof(sfse::HostInterface, queryInterface), 16},
        {"host: get plugin handle", offsetof(sfse::HostInterface, getPluginHandle), 24},
        {"messaging: register listener", offsetof(sfse::MessagingInterface, registerListener), 8},
        {"interface 3: register menu callback", offsetof(sfse::MenuInterface, registerMenuMovieCallback), 8},
        {"message sender", offsetof(sfse::HostMessage, sender), 0},
        {"message type", offsetof(sfse::HostMessage, type), 8},
        {"message data length", offsetof(sfse::HostMessage, dataLength), 12},
        {"message data", offsetof(sfse::HostMessage, data), 16},
    };
    for (const auto& field : fields)
        EXPECT_EQ(field.declared, field.expected) << field.name;
}

TEST(HostApi, IdsAndMessageTypesAreTheHostsNumbers)
{
    EXPECT_EQ(sfse::kMessagingInterfaceId, 1U);
    EXPECT_EQ(sfse::kMenuInterfaceId, 3U);
    EXPECT_EQ(sfse::kHostMessagePostLoad, 0U);
    EXPECT_EQ(sfse::kHostMessagePostPostLoad, 1U);
    EXPECT_EQ(sfse::kHostMessageDataLoaded, 2U);
    EXPECT_EQ(sfse::kHostMessagePostDataLoaded, 3U);
    EXPECT_EQ(sfse::kPluginVersionDataFormat, 1U);
}

TEST(HostApi, IndependenceFlagsAreTheBitsTheHostCounts)
{
    EXPECT_EQ(sfse::kAddressIndependentBySignatures, 0x1U);
    EXPECT_EQ(sfse::kAddressLibraryFirstForm, 0x2U);
    EXPECT_EQ(sfse::kAddressIndependentByAddressLibrary, 0x4U);
    EXPECT_EQ(sfse::kStructureIndependentNoStructures, 0x1U);
    EXPECT_EQ(sfse::kStructureIndependentLayout11470, 0x8U);
}

TEST(HostApi, VersionsAreEncodedAsTheHostReadsThem)
{
    EXPECT_EQ(sfse::EncodeVersion(1, 14, 70, 0), 0x010E0460U);
    EXPECT_EQ(sfse::EncodeVersion(2, 6, 0, 0), 0x02060000U);
    EXPECT_EQ(sfse::EncodeVersion(255, 255, 4095, 15), 0xFFFFFFFFU);
    EXPECT_EQ(sfse::EncodeVersion(0, 0, 1, 0), 0x10U);
}

TEST(HostApi, MessageTypeIsReadFromItsBytes)
{
    unsigned char bytes[sizeof(sfse::HostMessage)] = {};
    bytes[8] = 0x02;
    sfse::HostMessage message;
    std::memcpy(&message, bytes, sizeof message);
    EXPECT_EQ(message.type, sfse::kHostMessageDataLoaded);
}

}  // namespace
