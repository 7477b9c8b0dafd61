#include "sim/process.h"

#include "sim/game/command_table.h"
#include "sim/game/console.h"
#include "sim/game/game_image.h"
#include "sim/host/host.h"

namespace sim {

void StartRunningGame()
{
    StartGame();
    MakeConsole();
    UseExecutorObject(ExecutorObject(Executor::Game));
    LayCommandTable(GameCommands());
    ResetHost();
}

}  // namespace sim
