#pragma once

// How the demo console reads what the player types.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace demo {

struct SplitLine {
    std::vector<std::string> words;  // the command word first
    std::string problem;             // empty when the line could be read
};

// Splits a console line at blanks. A double-quoted stretch is one word and
// may be empty or hold blanks: SetRandomName "" sends one empty argument.
SplitLine SplitConsoleLine(const std::string& line);

// A FormID typed as 1 to 8 hexadecimal digits and nothing else.
std::optional<std::uint32_t> ParseFormId(const std::string& text);

// Command words are matched as the game's console matches them: without
// regard to letter case.
bool SameCommand(const std::string& typed, const std::string& command);

// What is shown of a word the demo does not know: enough to recognise it;
// and of a line it shows as read.
inline constexpr std::size_t kEchoedWordLength = 40;
inline constexpr std::size_t kEchoedLineLength = 1000;

// `word` (UTF-8) as far as `length` characters, then "..." and how many
// characters it has.
std::string Shortened(const std::string& word, std::size_t length = kEchoedWordLength);

}  // namespace demo
