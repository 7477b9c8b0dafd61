#include "tools/namecheck/file_times.h"

#include <array>
#include <cstdio>
#include <ctime>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace varnel {

namespace {

#if defined(_WIN32)
std::int64_t Ticks(const FILETIME& time)
{
    return static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
}
#else
std::int64_t Nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}
#endif

// The six numbers of "YYYY-MM-DD hh:mm:ss", each of its digits.
std::optional<std::array<int, 6>> StampParts(std::string_view stamp)
{
    constexpr std::string_view kForm = "dddd-dd-dd dd:dd:dd";
    if (stamp.size() < kForm.size())
        return std::nullopt;
    std::array<int, 6> parts{};
    std::size_t part = 0;
    for (std::size_t i = 0; i < kForm.size(); ++i) {
        const char c = stamp[i];
        if (kForm[i] != 'd') {
            if (c != kForm[i])
                return std::nullopt;
            ++part;
        } else if (c < '0' || c > '9') {
            return std::nullopt;
        } else {
            parts[part] = parts[part] * 10 + (c - '0');
        }
    }
    if (parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > 31 || parts[3] > 23 || parts[4] > 59 || parts[5] > 60)
        return std::nullopt;
    return parts;
}

// Days since 1970-01-01 of a date of the Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::int64_t UnixSecondsOf(std::int64_t fileTime)
{
#if defined(_WIN32)
    constexpr std::int64_t kTicksPerSecond = 10000000;
    constexpr std::int64_t kSeconds1601To1970 = 11644473600;
    return fileTime / kTicksPerSecond - kSeconds1601To1970;
#else
    return fileTime / 1000000000;
#endif
}

std::optional<std::int64_t> UtcStampSeconds(std::string_view stamp)
{
    const auto parts = StampParts(stamp);
    if (!parts)
        return std::nullopt;
    const auto& p = *parts;
    return DaysFromCivil(p[0], p[1], p[2]) * 86400 + std::int64_t{p[3]} * 3600 + std::int64_t{p[4]} * 60 + p[5];
}

std::optional<std::int64_t> LocalStampSeconds(std::string_view stamp)
{
    const auto parts = StampParts(stamp);
    if (!parts)
        return std::nullopt;
    const auto& p = *parts;
    std::tm local{};
    local.tm_year = p[0] - 1900;
    local.tm_mon = p[1] - 1;
    local.tm_mday = p[2];
    local.tm_hour = p[3];
    local.tm_min = p[4];
    local.tm_sec = p[5];
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    return seconds == static_cast<std::time_t>(-1) ? std::nullopt : std::optional<std::int64_t>(seconds);
}

std::string UtcStampText(std::int64_t seconds)
{
    const std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const std::int64_t inDay = seconds - days * 86400;
    // The civil date of a day count (the inverse of DaysFromCivil).
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[96] = {};
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(inDay / 3600),
                  static_cast<long long>(inDay / 60 % 60), static_cast<long long>(inDay % 60));
    return text;
}

FileTimes TimesOf(const std::filesystem::path& path)
{
#if defined(_WIN32)
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return {};
    return {Ticks(data.ftCreationTime), Ticks(data.ftLastWriteTime)};
#else
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return {};
    return {Nanoseconds(status.st_ctim), Nanoseconds(status.st_mtim)};
#endif
}

}  // namespace varnel
