#pragma once

// The game process as plugins meet it: the game and the script extender that
// starts inside it. The one place that knows both.

namespace sim {

// StartGame, then the game's console made, its console line executor object
// held and its command table laid as the game lays it, and a fresh host.
// Every test and the demo start here.
void StartRunningGame();

}  // namespace sim
