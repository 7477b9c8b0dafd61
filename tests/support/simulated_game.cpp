#include "support/simulated_game.h"

#include "game/game_addresses.h"

void SimulatedGameTest::SetUp()
{
    sim::StartGame();
    sim::MakeConsole();
    RememberGameModule(sim::ImageBase());
}

const GameReference* AsGameReference(sim::Reference& reference)
{
    return static_cast<const GameReference*>(sim::Selected(reference));
}
