#include "tools/namecheck/file_text.h"

#include "src/text/utf8.h"

#if defined(_WIN32)
#include <windows.h>
#endif

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

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return AsciiLowerCase(std::string(a)) == AsciiLowerCase(std::string(b));
}

std::string Utf16AsUtf8(std::string_view bytes, bool littleEndian)
{
    const auto unitAt = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(littleEndian ? second << 8 | first : first << 8 | second);
    };
    std::string text;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        char32_t code = unitAt(at);
        if (code >= 0xD800 && code < 0xDC00 && at + 3 < bytes.size()) {
            const char32_t low = unitAt(at + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        AppendUtf8(text, code);
    }
    return text;
}

std::string AnsiAsUtf8(const std::string& text)
{
    if (IsUtf8(text))
        return text;
#if defined(_WIN32)
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return WideToUtf8(wide);
#else
    // Windows-1252's 0x80-0x9F; the rest of its upper half is Latin-1's (0 where it has no character).
    static constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                           0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                           0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const char32_t code = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
        AppendUtf8(utf8, code != 0 ? code : 0xFFFD);
    }
    return utf8;
#endif
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
        const std::string wanted = PathAsUtf8(part);
        std::filesystem::path found = path / part;
        std::error_code error;
        for (std::filesystem::directory_iterator entry(path.empty() ? "." : path, error), end; !error && entry != end;
             entry.increment(error)) {
            if (SameNameIgnoringCase(PathAsUtf8(entry->path().filename()), wanted)) {
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
