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

// One line of the demo's output.
void Say(const std::string& text);

// The references a player can select: actors, a container that is not an
// actor, an actor with no extra data.
void AddReferences(Session& session);

// Starts the host on `plugins` as the game of `options` would, shows its log
// and boxes, and sends the game's data-loaded messages; `report` keeps what it
// loaded. False when the game crashed.
bool StartHost(Session& session, const Options& options, const std::filesystem::path& plugins, sim::HostReport& report);

// The console's menu opens: the host calls the plugins' menu callbacks.
// False when the game crashed.
bool OpenConsole();

// Runs one console line; false when the session should end.
bool RunLine(Session& session, const std::string& line);

void ScriptedSession(Session& session);
void InteractiveSession(Session& session);

}  // namespace demo
