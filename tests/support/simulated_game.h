#pragma once

#include "sim/command_table.h"
#include "sim/console.h"
#include "sim/game_image.h"
#include "sim/host.h"
#include "sim/references.h"

#include <gtest/gtest.h>

// Each test starts with a freshly laid-out simulated game whose console
// exists, and with the game module remembered as SFSEPlugin_Load would.
class SimulatedGameTest : public ::testing::Test {
protected:
    void SetUp() override;
};

// The selected reference as the plugin's own record type.
struct GameReference;
const GameReference* AsGameReference(sim::Reference& reference);
