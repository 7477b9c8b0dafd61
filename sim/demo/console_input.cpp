#include "sim/demo/console_input.h"

#include <cctype>

namespace demo {

SplitLine SplitConsoleLine(const std::string& line)
{
    SplitLine split;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord)
                split.words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        split.problem = "a double quote is not closed";
    else if (inWord)
        split.words.push_back(word);
    return split;
}

std::optional<std::uint32_t> ParseFormId(const std::string& text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0)
            return std::nullopt;
        const int digit = std::isdigit(static_cast<unsigned char>(c)) != 0 ? c - '0' : std::toupper(c) - 'A' + 10;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool SameCommand(const std::string& typed, const std::string& command)
{
    if (typed.size() != command.size())
        return false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(typed[i])) != std::tolower(static_cast<unsigned char>(command[i])))
            return false;
    }
    return true;
}

std::string Shortened(const std::string& word, std::size_t length)
{
    // Counted in characters: a UTF-8 byte that does not continue one starts one.
    std::size_t characters = 0;
    std::size_t cut = word.size();
    for (std::size_t i = 0; i < word.size(); ++i) {
        if ((static_cast<unsigned char>(word[i]) & 0xC0) == 0x80)
            continue;
        if (characters == length)
            cut = i;
        ++characters;
    }
    if (characters <= length)
        return word;
    return word.substr(0, cut) + "... (" + std::to_string(characters) + " characters)";
}

}  // namespace demo
