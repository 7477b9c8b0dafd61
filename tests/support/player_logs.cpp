#include "support/player_logs.h"

#include "src/log/log_line.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cstdint>
#include <fstream>
#include <iterator>

namespace {

// A log line's stamp of the local time `seconds` before now.
std::string LocalStampBefore(unsigned seconds)
{
    SYSTEMTIME local{};
    GetLocalTime(&local);
    FILETIME asFileTime{};
    SystemTimeToFileTime(&local, &asFileTime);
    ULARGE_INTEGER ticks{};  // 100 ns each
    ticks.LowPart = asFileTime.dwLowDateTime;
    ticks.HighPart = asFileTime.dwHighDateTime;
    ticks.QuadPart -= std::uint64_t{seconds} * 10'000'000;
    asFileTime = {ticks.LowPart, ticks.HighPart};
    FileTimeToSystemTime(&asFileTime, &local);
    const varnel::LogTime time{local.wYear,   local.wMonth,  local.wDay,         local.wHour,
                               local.wMinute, local.wSecond, local.wMilliseconds};
    return varnel::LogLine(time, "").substr(0, varnel::kLogStampSize);
}

}  // namespace

std::filesystem::path DocumentsFolder()
{
    PWSTR path = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

std::filesystem::path LogsFolderBelow(const std::filesystem::path& documents)
{
    return documents / "My Games" / "Starfield" / "SFSE" / "Logs";
}

std::vector<std::string> CrLfLinesOf(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF: " << bytes.substr(at);
        lines.push_back(bytes.substr(at, end == std::string::npos ? std::string::npos : end - at));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << lines.back();
        at = end == std::string::npos ? bytes.size() : end + 2;
    }
    return lines;
}

std::vector<std::string> LogLinesOf(const std::filesystem::path& path)
{
    // Every line was written by this test process, within its time limit.
    const std::string earliest = LocalStampBefore(120);
    const std::string latest = LocalStampBefore(0);
    std::vector<std::string> lines = CrLfLinesOf(path);
    for (std::string& line : lines) {
        EXPECT_TRUE(varnel::HasLogStamp(line)) << "a line without its time: " << line;
        const std::string stamp = line.substr(0, varnel::kLogStampSize);
        EXPECT_TRUE(stamp >= earliest && stamp <= latest) << stamp << "is not the local time of its writing, "
                                                          << earliest << "to " << latest;
        if (line.size() >= varnel::kLogStampSize)
            line.erase(0, varnel::kLogStampSize);
    }
    return lines;
}

std::vector<std::string> PluginLogLines() { return LogLinesOf(LogsFolderBelow(DocumentsFolder()) / "Varnel.log"); }
