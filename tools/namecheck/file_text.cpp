#include "tools/namecheck/file_text.h"

#include "src/text/utf8.h"

#include <fstream>
#include <iterator>

namespace varnel {

std::optional<std::string> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

WholeFile ReadWholeFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return {};
    return {true, TimesOf(path), std::filesystem::is_regular_file(path, error) ? ReadBytes(path) : std::nullopt};
}

std::vector<std::string_view> LinesOf(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t feed = bytes.find('\n', at);
        const std::size_t end = feed == std::string_view::npos ? bytes.size() : feed;
        std::string_view line = bytes.substr(at, end - at);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

std::string AsciiLowerCase(std::string text)
{
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::filesystem::path PathIgnoringCase(const std::filesystem::path& folder, const std::filesystem::path& relative)
{
    std::filesystem::path path = folder;
    for (const auto& part : relative) {
        // Each entry's own name: the one on disk, whatever letter case it was asked in.
        const std::string wanted = AsciiLowerCase(PathAsUtf8(part));
        std::filesystem::path found = path / part;
        std::error_code error;
        for (std::filesystem::directory_iterator entry(path.empty() ? "." : path, error), end; !error && entry != end;
             entry.increment(error)) {
            if (AsciiLowerCase(PathAsUtf8(entry->path().filename())) == wanted) {
                found = path / entry->path().filename();
                break;
            }
        }
        path = found;
    }
    return path;
}

std::string PathAsUtf8(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

std::string EscapedPathText(std::string_view path) { return Escaped(path, Backslashes::Kept); }

std::string EscapedPath(const std::filesystem::path& path) { return EscapedPathText(PathAsUtf8(path)); }

std::string Count(std::int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace varnel
