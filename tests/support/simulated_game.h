#pragma once

#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/game/game_image.h"
#include "sim/process.h"
#include "sim/host/host.h"
#include "sim/game/references.h"

#include <gtest/gtest.h>

// Each test starts with a freshly laid-out simulated game whose console and
// console line executor object exist, and with the game module remembered as
// SFSEPlugin_Load would. A test fails when it made the game crash.
class SimulatedGameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The selected reference as the plugin's own record type.
namespace varnel {
struct GameReference;
}
const varnel::GameReference* AsGameReference(sim::Reference& reference);
