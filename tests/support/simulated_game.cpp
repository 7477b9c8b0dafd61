#include "support/simulated_game.h"

#include "src/game/game_addresses.h"

using namespace varnel;

void SimulatedGameTest::SetUp()
{
    sim::StartRunningGame();
    RememberGameModule(sim::ImageBase());
}

void SimulatedGameTest::TearDown()
{
    EXPECT_EQ(sim::Faults(), std::vector<std::string>{}) << "the real game would have crashed";
}

const GameReference* AsGameReference(sim::Reference& reference)
{
    return static_cast<const GameReference*>(sim::Selected(reference));
}
