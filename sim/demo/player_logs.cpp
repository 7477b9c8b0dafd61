#include "sim/demo/player_logs.h"

#include "sim/demo/terminal.h"
#include "sim/demo/wide_text.h"
#include "sim/host/host.h"
#include "src/text/utf8.h"

#include <windows.h>

#include <cstdint>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace demo {
namespace {

namespace fs = std::filesystem;

// The file's lines, CR LF or LF ended; a last line without its end counts.
std::vector<std::string> LinesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t feed = bytes.find('\n', at);
        std::string line = bytes.substr(at, feed == std::string::npos ? std::string::npos : feed - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        at = feed == std::string::npos ? bytes.size() : feed + 1;
    }
    return lines;
}

// What the host wrote, without the simulation's own crash reports.
std::vector<std::string> HostLines()
{
    std::vector<std::string> lines;
    for (const std::string& line : sim::Host().log) {
        if (!sim::IsSimulationReport(line))
            lines.push_back(line);
    }
    return lines;
}

void ShowLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        Say("   | " + varnel::Escaped(line, varnel::Backslashes::Kept));
}

// When the file was last written, in the system's 100 ns steps (the
// standard library's file times here have whole seconds only); 0 when it
// cannot be had.
std::uint64_t WrittenAt(const fs::path& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) == 0)
        return 0;
    return std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
}

// "Varnel.log, written by this start" or "..., left by an earlier start"; false when there is none.
bool Announce(const fs::path& path, std::uint64_t started, std::string& bytes)
{
    const std::uint64_t written = WrittenAt(path);
    std::ifstream file(path, std::ios::binary);
    if (written == 0 || !file) {
        Say("== " + Utf8Of(path.filename()) + ": not there (" + Utf8Of(path) + ")");
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    Say("== " + Utf8Of(path) + (written >= started ? ", written by this start" : ", left by an earlier start") +
        (bytes.empty() ? ": empty" : ":"));
    return !bytes.empty();
}

}  // namespace

void ShowPlayerLogs(const fs::path& gameFolder)
{
    const std::uint64_t started = WrittenAt(gameFolder / "Starfield.exe");
    const fs::path folder = sim::HostLogFilePath().parent_path();
    std::string bytes;
    if (Announce(folder / "sfse.txt", started, bytes)) {
        const std::vector<std::string> lines = LinesOf(bytes);
        if (lines == HostLines())
            Say("   its " + std::to_string(lines.size()) + " lines are the host's lines shown above");
        else
            ShowLines(lines);
        if (bytes.back() != '\n')
            Say("   (its last line is cut: SFSE's stream writes 4096 bytes at a time until \"init complete\")");
    }
    if (Announce(folder / "Varnel.log", started, bytes))
        ShowLines(LinesOf(bytes));
}

}  // namespace demo
