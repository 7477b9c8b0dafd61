#pragma once

// The demo's console session: the host's start-up as its log shows it, the
// references a player can select, and the console lines typed or scripted.

#include "sim/demo/options.h"
#include "sim/game/references.h"
#include "sim/host/host_loader.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace demo {

struct DemoReference {
    std::unique_ptr<sim::Reference> reference;
    const char* kind;
};

struct Session {
    std::map<std::uint32_t, DemoReference> references;
    sim::Reference* selected = nullptr;
    std::optional<std::size_t> commandEntry;
};

// The references a player can select: actors, a container that is not an
// actor, an actor with no extra data.
void AddReferences(Session& session);

// SFSE's loader checks `gameFolder` as before every start; shows its log and
// its box. False when it stopped there: the game does not start.
bool RunLoader(const Options& options, const std::filesystem::path& gameFolder);

// Starts the host of `options` on the plugins of `gameFolder` as the game
// would, shows its log and boxes, and sends the game's data-loaded messages;
// `report` keeps what it loaded. False when the game crashed.
bool StartHost(Session& session, const Options& options, const std::filesystem::path& gameFolder, sim::HostReport& report);

// The console's menu opens: the host calls the plugins' menu callbacks.
// False when the game crashed.
bool OpenConsole();

// Runs one console line; false when the session should end.
bool RunLine(Session& session, const std::string& line);

void ScriptedSession(Session& session);
// Reads console lines until quit or the end of input; `inputShown`: the
// lines are typed where the player sees them (else they are shown here).
void InteractiveSession(Session& session, bool inputShown);

}  // namespace demo
