#pragma once

// printf-style formatting into a string, as the game's console does it.
// The simulated console formats the argument list the plugin hands it.

#include <cstdarg>
#include <cstdio>
#include <string>

namespace sim {

// Formats in two passes, one to measure and one to write, each on a copy
// of the arguments (a va_list is used up by one pass).
inline std::string PrintfText(const char* format, va_list arguments)
{
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    va_list writing;
    va_copy(writing, arguments);
    std::vsnprintf(text.data(), text.size() + 1, format, writing);
    va_end(writing);
    return text;
}

}  // namespace sim
