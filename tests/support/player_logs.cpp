#include "support/player_logs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cctype>
#include <fstream>
#include <iterator>

namespace {

// "2026-12-10 04:31:02.123 ": digits where the pattern has 9, the rest as it stands.
bool StartsWithTimeStamp(const std::string& line)
{
    constexpr std::string_view pattern = "9999-99-99 99:99:99.999 ";
    if (line.size() < pattern.size())
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
        if (pattern[i] == '9' ? !digit : line[i] != pattern[i])
            return false;
    }
    return true;
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

std::vector<std::string> LogLinesOf(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF: " << bytes.substr(at);
        const std::string line = bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
        EXPECT_TRUE(StartsWithTimeStamp(line)) << "a line without its time: " << line;
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        lines.push_back(line.size() < 24 ? line : line.substr(24));
        at = end == std::string::npos ? bytes.size() : end + 2;
    }
    return lines;
}

std::vector<std::string> PluginLogLines() { return LogLinesOf(LogsFolderBelow(DocumentsFolder()) / "Varnel.log"); }
