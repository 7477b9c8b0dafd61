#pragma once

// The logs a player finds in Documents\My Games\Starfield\SFSE\Logs: for the
// test process, the Documents folder of its own player (wine-test.sh).

#include <filesystem>
#include <string>
#include <vector>

// Documents, as the shell's known-folder lookup gives it.
std::filesystem::path DocumentsFolder();

// Documents\My Games\Starfield\SFSE\Logs below `documents`.
std::filesystem::path LogsFolderBelow(const std::filesystem::path& documents);

// The lines of the file at `path`, each checked to end in CR LF and to
// hold no other line end; empty when there is no file.
std::vector<std::string> CrLfLinesOf(const std::filesystem::path& path);

// The lines of the log file at `path` without their time stamps, each
// line's stamp ("2026-12-10 04:31:02.123 ") and CR LF checked on the way;
// empty when there is no file.
std::vector<std::string> LogLinesOf(const std::filesystem::path& path);

// LogLinesOf the plugin's Varnel.log below DocumentsFolder().
std::vector<std::string> PluginLogLines();
