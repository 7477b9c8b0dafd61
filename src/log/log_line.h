#pragma once

// The lines of the plugin's log, as text: each starts with the local time
// to the millisecond and ends with CR LF, and the log of one game start
// stays within kLogLimitBytes. Portable: the standard library only.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <initializer_list>
#include <string_view>

namespace varnel {

// A local time as the system clock gives it.
struct LogTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;   // 1 to 12
    std::uint16_t day = 0;     // 1 to 31
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;
};

// "2026-12-10 04:31:02.123 " + text + CR LF. The text is written as it is:
// callers pass names and paths through Escaped (text/utf8.h).
std::string LogLine(const LogTime& time, std::string_view text);
inline constexpr std::size_t kLogStampSize = 24;                  // the time and its blank
inline constexpr std::size_t kLogLineOverhead = kLogStampSize + 2;  // and CR LF

// True when `line` begins with the stamp LogLine writes; the text follows
// kLogStampSize bytes in.
bool HasLogStamp(std::string_view line);

// The pieces joined, and a number as decimal text: what log lines are built
// from (one call each, where chains of + would be expanded at every use).
std::string LogText(std::initializer_list<std::string_view> pieces);
std::string DecimalText(std::int64_t number);

// What one game start may write, and the line that ends it when that is used up.
inline constexpr std::uint64_t kLogLimitBytes = std::uint64_t{1024} * 1024;
inline constexpr std::string_view kLogLimitReached =
    "The log has reached 1 MiB for this game start; later lines are left out.";

// The bytes one game start has written, shared by every thread without a lock.
struct LogBudget {
    std::atomic<std::uint64_t> reserved{0};  // bytes of every line offered so far
    std::atomic<bool> limitLineTaken{false}; // the line saying the rest is left out has its turn
};

enum class LogAdmission : std::uint8_t {
    Write,          // the line fits: write it
    WriteLimitLine, // the first line that does not fit: write the kLogLimitReached line instead
    Drop,           // the limit was reached before
};

// Whether a line of `size` bytes may be written. Every line admitted, and the
// one limit line of at most `limitLineSize` bytes, together stay within
// kLogLimitBytes, however many threads ask at once.
LogAdmission AdmitLogLine(LogBudget& budget, std::size_t size, std::size_t limitLineSize);

}  // namespace varnel
