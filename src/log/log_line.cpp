#include "log/log_line.h"

namespace varnel {

namespace {

void AppendDigits(std::string& out, unsigned value, int digits)
{
    char text[8] = {};
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(text, static_cast<std::size_t>(digits));
}

}  // namespace

std::string LogLine(const LogTime& time, std::string_view text)
{
    // Each part of "2026-12-10 04:31:02.123 ", with its digits and what follows it.
    const struct {
        unsigned value;
        int digits;
        char then;
    } parts[] = {{time.year, 4, '-'},   {time.month, 2, '-'},  {time.day, 2, ' '},        {time.hour, 2, ':'},
                 {time.minute, 2, ':'}, {time.second, 2, '.'}, {time.millisecond, 3, ' '}};
    std::string line;
    line.reserve(text.size() + kLogLineOverhead);
    for (const auto& part : parts) {
        AppendDigits(line, part.value, part.digits);
        line += part.then;
    }
    line += text;
    line += "\r\n";
    return line;
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
