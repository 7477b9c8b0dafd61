#pragma once

// The logs as a player opens them after playing (in the Logs folder of
// Documents\My Games\Starfield\SFSE), shown under their Windows paths.

namespace demo {

// Shows the plugin's own log, Varnel.log, line by line.
void ShowPluginLog();

}  // namespace demo
