// The name-list reader against a deliberately simple model of the line rules:
// LF ends a line, a CR right before LF is dropped, 0x1A ends the input, a NUL
// cuts a name, empty lines count, the next non-empty line is returned.
// The input is read as it stands, and again placed across the reader's
// first two refills (it reads 64 KiB, then 128 KiB, ...), at an offset the
// input's first byte chooses, behind filler lines.
#include "src/names/name_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace varnel;  // the product under test

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

constexpr std::size_t kFirstRefill = 65536;
constexpr std::size_t kSecondRefill = kFirstRefill + 131072;

// Filler lines up to `length` bytes in all, ended by a line feed.
void AppendFiller(std::string& bytes, std::size_t upTo)
{
    while (bytes.size() + 64 <= upTo)
        bytes += std::string(63, 'f') + '\n';
    if (bytes.size() < upTo)
        bytes += std::string(upTo - bytes.size() - 1, 'g') + '\n';
}

// Checks the reader on `bytes`, at the line numbers in `numbers` (with the
// ends of the list added).
void Check(const std::string& bytes, std::vector<std::int32_t> numbers)
{
    std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc) << bytes;
    const auto lines = ModelLines(bytes);
    const auto count = CountNamesInFile(ScratchFile());
    if (count != static_cast<std::int32_t>(lines.size()))
        std::abort();
    numbers.insert(numbers.end(), {-1, 0, 1, count, count + 1});
    for (const std::int32_t line : numbers) {
        if (ReadNameAtInFile(ScratchFile(), line) != ModelNameAt(lines, line))
            std::abort();
    }
}

// The line numbers around the input placed at `at` in `bytes`.
void AddLinesAround(std::vector<std::int32_t>& numbers, const std::string& bytes, std::size_t at, std::size_t size)
{
    const auto before = static_cast<std::int32_t>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(at), '\n'));
    const auto within = static_cast<std::int32_t>(std::count(bytes.begin() + static_cast<long>(at),
                                                             bytes.begin() + static_cast<long>(at + size), '\n'));
    for (std::int32_t line = before - 1; line <= before + within + 2; ++line)
        numbers.push_back(line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::int32_t> numbers;
    for (std::int32_t line = 2; line <= static_cast<std::int32_t>(size) + 1; ++line)
        numbers.push_back(line);
    Check(input, numbers);

    const std::size_t shift = size > 0 ? data[0] : 0;
    std::string bytes;
    numbers.clear();
    for (const std::size_t refill : {kFirstRefill, kSecondRefill}) {
        const std::size_t at = refill - std::min<std::size_t>(refill, 128 + shift);
        AppendFiller(bytes, std::max(at, bytes.size()));
        const std::size_t placed = bytes.size();
        bytes += input;
        AddLinesAround(numbers, bytes, placed, size);
    }
    Check(bytes, numbers);
    return 0;
}
