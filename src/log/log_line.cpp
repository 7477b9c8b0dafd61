#include "src/log/log_line.h"

namespace varnel {

namespace {

// Each part of the stamp "2026-12-10 04:31:02.123 ": its field, its digits
// and what follows it.
struct StampPart {
    std::uint16_t LogTime::*field;
    std::size_t digits;
    char then;
};
constexpr StampPart kStampParts[] = {{&LogTime::year, 4, '-'},   {&LogTime::month, 2, '-'},
                                     {&LogTime::day, 2, ' '},    {&LogTime::hour, 2, ':'},
                                     {&LogTime::minute, 2, ':'}, {&LogTime::second, 2, '.'},
                                     {&LogTime::millisecond, 3, ' '}};

constexpr std::size_t StampSize()
{
    std::size_t size = 0;
    for (const StampPart& part : kStampParts)
        size += part.digits + 1;
    return size;
}
static_assert(StampSize() == kLogStampSize);

void AppendDigits(std::string& out, unsigned value, std::size_t digits)
{
    char text[8] = {};
    for (std::size_t i = digits; i-- > 0;) {
        text[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(text, digits);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string LogLine(const LogTime& time, std::string_view text)
{
    std::string line;
    line.reserve(text.size() + kLogLineOverhead);
    for (const StampPart& part : kStampParts) {
        AppendDigits(line, time.*part.field, part.digits);
        line += part.then;
    }
    line += text;
    line += "\r\n";
    return line;
}

bool HasLogStamp(std::string_view line)
{
    if (line.size() < kLogStampSize)
        return false;
    std::size_t at = 0;
    for (const StampPart& part : kStampParts) {
        for (std::size_t i = 0; i < part.digits; ++i)
            if (!IsDigit(line[at++]))
                return false;
        if (line[at++] != part.then)
            return false;
    }
    return true;
}

std::string LogText(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (const std::string_view piece : pieces)
        size += piece.size();
    std::string text;
    text.reserve(size);
    for (const std::string_view piece : pieces)
        text += piece;
    return text;
}

std::string DecimalText(std::int64_t number) { return std::to_string(number); }

LogAdmission AdmitLogLine(LogBudget& budget, std::size_t size, std::size_t limitLineSize)
{
    // Room for the limit line is kept back, so it fits whenever it comes.
    const std::uint64_t before = budget.reserved.fetch_add(size);
    if (limitLineSize <= kLogLimitBytes && before + size <= kLogLimitBytes - limitLineSize)
        return LogAdmission::Write;
    return budget.limitLineTaken.exchange(true) ? LogAdmission::Drop : LogAdmission::WriteLimitLine;
}

}  // namespace varnel
