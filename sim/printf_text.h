#pragma once

// printf-style formatting into a string, as the game's console does it.
// Header-only and portable: native tests use it too.

#include <cstdarg>
#include <cstdio>
#include <string>

namespace sim {

// Formats in two passes, one to measure and one to write, each with a list
// of the same arguments of its own (a va_list is used up by one pass).
inline std::string PrintfText(const char* format, va_list measuring, va_list writing)
{
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, writing);
    return text;
}

}  // namespace sim
