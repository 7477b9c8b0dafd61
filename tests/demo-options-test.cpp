// The demo's command line: what it takes, what it refuses.

#include "sim/demo/options.h"
#include "sim/host/host_release.h"

#include <gtest/gtest.h>

namespace {

TEST(DemoOptions, RuntimesAreThreePlainNumbers)
{
    EXPECT_EQ(demo::ParseRuntime(sfse::VersionText(sim::kGameRuntime)), sim::kGameRuntime);
    EXPECT_EQ(demo::ParseRuntime("1.14.70"), 0x010E0460U);
    EXPECT_EQ(demo::ParseRuntime("1.15.222"), 0x010F0DE0U);
    EXPECT_EQ(demo::ParseRuntime("255.255.4095"), 0xFFFFFFF0U);
    for (const char* bad : {"", "1.15", "1.15.222.0", "1.15.x", "256.0.0", "1.256.0", "1.0.4096", "-1.15.222",
                            "1..222", " 1.15.222", "1.15.222 ", "1.15.222a", "01.15.216", "1.015.216", "1.15.0216", "+1.15.216",
                            "1.15.", ".15.216"}) {
        EXPECT_FALSE(demo::ParseRuntime(bad).has_value()) << bad;
    }
}

}  // namespace
