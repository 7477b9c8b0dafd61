// The name-list reader against a deliberately simple model of the line rules:
// LF ends a line, a CR right before LF is dropped, 0x1A ends the input, a NUL
// cuts a name, empty lines count, the next non-empty line is returned.
#include "names/name_list.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> ModelLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    for (const char c : bytes) {
        if (c == '\x1A')
            break;
        if (c != '\n') {
            line += c;
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string ModelNameAt(const std::vector<std::string>& lines, long lineNumber)
{
    for (long i = lineNumber; i >= 1 && i <= static_cast<long>(lines.size()); ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i - 1)];
        if (!line.empty())
            return line.substr(0, line.find('\0'));
    }
    return {};
}

const std::string& ScratchFile()
{
    static const std::string path = "/tmp/varnel-fuzz-list-" + std::to_string(getpid()) + ".txt";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc) << bytes;
    const auto lines = ModelLines(bytes);
    const auto count = CountLinesOfList(ScratchFile());
    if (count != static_cast<std::int32_t>(lines.size()))
        std::abort();
    for (std::int32_t line = -1; line <= count + 1; ++line) {
        if (ReadNameOfList(ScratchFile(), line) != ModelNameAt(lines, line))
            std::abort();
    }
    return 0;
}
