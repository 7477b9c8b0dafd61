#pragma once

// The demo's arguments arrive as wide text; it works in UTF-8 and hands
// paths to the file system as paths, so no code page is ever involved.

#include "sim/text.h"

#include <filesystem>
#include <string>

namespace demo {

using sim::Utf8Of;

inline std::string Utf8FromWide(const wchar_t* wide) { return Utf8Of(std::filesystem::path(wide)); }

inline std::filesystem::path PathFromUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace demo
