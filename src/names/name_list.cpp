#include "src/names/name_list.h"

#include "src/names/byte_scan.h"
#include "src/names/list_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

namespace varnel {

namespace {

// Reads start small, so a name near the top is found after little reading,
// and grow, so a long list is read in few calls (each costs a system call).
constexpr std::size_t kFirstChunkSize = std::size_t{64} * 1024;
constexpr std::size_t kLargestChunkSize = std::size_t{1024} * 1024;
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfInput = '\x1A';  // Ctrl+Z ends text-mode input

// Chunk memory. Allocating and releasing a large block at each call costs
// more than reading the list (several times over under Wine), so one chunk
// is kept between calls for the whole process. A reader takes it for its
// pass, and releasing its chunk gives it back; a reader that finds it taken
// (another thread, or a read nested inside a line visitor) gets a chunk of
// its own, freed when released while the spare is back. So the memory kept
// is one chunk, however many threads ever read a list, and no two readers
// share a chunk.
struct SpareChunk {
    std::atomic<char*> chunk{nullptr};
    ~SpareChunk() { delete[] chunk.exchange(nullptr); }
};
SpareChunk spare;

struct GiveBackChunk {
    void operator()(char* chunk) const noexcept
    {
        char* expected = nullptr;
        if (!spare.chunk.compare_exchange_strong(expected, chunk))
            delete[] chunk;
    }
};
using Chunk = std::unique_ptr<char[], GiveBackChunk>;

Chunk TakeChunk()
{
    if (char* kept = spare.chunk.exchange(nullptr))
        return Chunk(kept);
    return Chunk(new char[kLargestChunkSize]);
}

// A list opened for one pass, read in large chunks. The text-mode rules are
// applied here, so every platform reads the same bytes the same way.
struct ListReader {
    ListFile file;
    Chunk chunk = TakeChunk();
    std::size_t chunkSize = kFirstChunkSize;  // bytes asked for by the next read
    const char* next = nullptr;  // first unread byte of the chunk
    const char* end = nullptr;   // one past the last usable byte of the chunk
    bool inputEnded = false;     // end of file or 0x1A reached
    bool failed = false;         // a read failed; the input ended there

    ListReader() = default;
    ListReader(const ListReader&) = delete;
    ListReader& operator=(const ListReader&) = delete;
    ~ListReader() { CloseListFile(file); }
};

bool OpenList(ListReader& reader, const std::string& path) { return OpenListFile(path, reader.file); }

// Fills the chunk as far as `size` bytes, through short reads; the number of
// bytes read. A failed read ends the input.
std::size_t ReadChunk(ListReader& reader, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const std::int64_t read = ReadListFile(reader.file, reader.chunk.get() + got, size - got);
        if (read <= 0) {
            reader.failed = read < 0;
            break;
        }
        got += static_cast<std::size_t>(read);
    }
    return got;
}

// Makes at least one unread byte available; false when the input has ended.
bool FillChunk(ListReader& reader)
{
    if (reader.next != reader.end)
        return true;
    if (reader.inputEnded)
        return false;
    if (reader.next != nullptr)  // not the first read
        reader.chunkSize = std::min(reader.chunkSize * 2, kLargestChunkSize);
    const std::size_t got = ReadChunk(reader, reader.chunkSize);
    const char* begin = reader.chunk.get();
    const char* stop = FindByte(begin, begin + got, kEndOfInput);
    reader.inputEnded = stop != begin + got || got < reader.chunkSize;
    reader.next = begin;
    reader.end = stop;
    return reader.next != reader.end;
}

// Passes over `count` lines; false when the input ends first.
bool SkipLines(ListReader& reader, std::int64_t count)
{
    while (count > 0) {
        if (!FillChunk(reader))
            return false;
        const auto feeds = CountLineFeeds(reader.next, reader.end);
        if (feeds < count) {
            count -= feeds;
            reader.next = reader.end;
            continue;
        }
        for (; count > 0; --count)
            reader.next = FindByte(reader.next, reader.end, kLineFeed) + 1;
    }
    return true;
}

// Reads the next line without its line feed (and a CR right before it);
// false when no line is left.
bool NextLine(ListReader& reader, std::string& line)
{
    line.clear();
    if (!FillChunk(reader))
        return false;
    do {
        const char* feed = FindByte(reader.next, reader.end, kLineFeed);
        if (feed == reader.end) {
            line.append(reader.next, reader.end);
            reader.next = reader.end;
            continue;
        }
        line.append(reader.next, feed);
        reader.next = feed + 1;
        if (!line.empty() && line.back() == kCarriageReturn)
            line.pop_back();
        return true;
    } while (FillChunk(reader));
    return true;  // a last line without a line feed
}

std::string ListPath(const std::string& fileName) { return std::string(PluginFolder) + fileName; }

// The lines of the file at `path`, or nullopt when it cannot be opened.
std::optional<std::int32_t> CountLinesOf(const std::string& path)
{
    ListReader reader;
    if (!OpenList(reader, path))
        return std::nullopt;
    std::int64_t lines = 0;
    bool lineOpen = false;  // bytes seen since the last line feed
    while (FillChunk(reader)) {
        lines += CountLineFeeds(reader.next, reader.end);
        lineOpen = reader.end[-1] != kLineFeed;
        reader.next = reader.end;
    }
    lines += lineOpen ? 1 : 0;
    return static_cast<std::int32_t>(std::min<std::int64_t>(lines, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t CountNamesInFile(const std::string& path) noexcept
{
    try {
        return CountLinesOf(path).value_or(0);
    } catch (...) {
        return 0;
    }
}

std::string ReadNameAtInFile(const std::string& path, std::int32_t lineNumber) noexcept
{
    try {
        if (lineNumber < 1)
            return {};
        ListReader reader;
        if (!OpenList(reader, path) || !SkipLines(reader, lineNumber - 1))
            return {};
        std::string line;
        while (NextLine(reader, line)) {
            if (!line.empty())
                return line.substr(0, line.find('\0'));
        }
        return {};
    } catch (...) {
        return {};
    }
}

bool VisitLinesInFile(const std::string& path,
                      const std::function<void(const std::string& line)>& visit) noexcept
{
    try {
        ListReader reader;
        if (!OpenList(reader, path))
            return false;
        std::string line;
        while (NextLine(reader, line))
            visit(line);
        return !reader.failed;
    } catch (...) {
        return false;
    }
}

ListCount CountNames(std::string fileName) noexcept
{
    try {
        if (fileName.empty())
            return {};
        const std::string path = ListPath(fileName);
        if (!ListFileExists(path))
            return {.lines = 0, .missing = true};
        const std::optional<std::int32_t> lines = CountLinesOf(path);
        return {.lines = lines.value_or(0), .missing = false, .unopenable = !lines};
    } catch (...) {
        return {};
    }
}

std::string ReadNameAt(std::string fileName, std::int32_t lineNumber) noexcept
{
    try {
        if (fileName.empty() || lineNumber < 1)
            return {};
        const std::string path = ListPath(fileName);
        if (!ListFileExists(path))
            return {};
        return ReadNameAtInFile(path, lineNumber);
    } catch (...) {
        return {};
    }
}

}  // namespace varnel
