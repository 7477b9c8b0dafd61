// Plugins that go wrong in the host's hands, one kind per build:
// TEST_PLUGIN_FAULTING   its load call writes through a null pointer;
// TEST_PLUGIN_REFUSING   its load call answers false;
// TEST_PLUGIN_NO_VERSION it exports no version record;
// TEST_PLUGIN_NO_LOAD    it exports no load function.

#include "sim/game/game_image.h"

#include <cstdint>

namespace {

struct VersionRecord {
    std::uint32_t dataVersion;
    std::uint32_t pluginVersion;
    char name[256];
    char author[256];
    std::uint32_t addressIndependence;
    std::uint32_t structureIndependence;
    std::uint32_t compatibleVersions[16];
    std::uint32_t minimumHostVersion;
    std::uint32_t reserved[2];
};
static_assert(sizeof(VersionRecord) == 604);

}  // namespace

#if !defined(TEST_PLUGIN_NO_VERSION)
extern "C" __declspec(dllexport) const VersionRecord SFSEPlugin_Version = {
    1, 0x01020030, "Test plugin", "Tests", 0, 0,
    {sim::kRuntimeMajor << 24 | sim::kRuntimeMinor << 16 | sim::kRuntimeBuild << 4}, 0, {0, 0}};
#endif

#if !defined(TEST_PLUGIN_NO_LOAD)
extern "C" __declspec(dllexport) bool SFSEPlugin_Load(const void* /*host*/)
{
#if defined(TEST_PLUGIN_FAULTING)
    static volatile std::uintptr_t nowhere = 0;
    // An access violation, as a broken plugin makes: the fault under test.
    *reinterpret_cast<volatile int*>(nowhere) = 1;  // NOLINT(clang-analyzer-core.NullDereference)
#endif
    return false;
}
#endif
