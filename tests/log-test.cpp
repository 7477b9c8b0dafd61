// The plugin's log lines as text, and the budget of one game start.
#include "src/log/log_line.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace varnel;  // the product under test

namespace {

TEST(LogLine, StartsWithTheLocalTimeToTheMillisecondAndEndsWithCrLf)
{
    EXPECT_EQ(LogLine({2026, 12, 10, 4, 31, 2, 123}, "Listening"), "2026-12-10 04:31:02.123 Listening\r\n");
    EXPECT_EQ(LogLine({999, 1, 2, 0, 0, 9, 7}, ""), "0999-01-02 00:00:09.007 \r\n");
    EXPECT_EQ(LogLine({2026, 1, 1, 0, 0, 0, 0}, "").size(), kLogLineOverhead);
}

TEST(LogLine, LinesFitTheBudgetThenOneLineSaysTheRestIsLeftOut)
{
    constexpr std::size_t limitLine = 100;
    constexpr std::size_t kKiB = 1024;
    struct Case {
        std::vector<std::size_t> lines;
        std::vector<LogAdmission> expected;
    };
    using enum LogAdmission;
    const Case cases[] = {
        {{kKiB * kKiB - 100}, {Write}},
        {{kKiB * kKiB - 99}, {WriteLimitLine}},
        {{kKiB * kKiB - 100, 1, 1}, {Write, WriteLimitLine, Drop}},
        {{600 * kKiB, 600 * kKiB, 10, kKiB * kKiB}, {Write, WriteLimitLine, Drop, Drop}},
    };
    for (const auto& c : cases) {
        LogBudget budget;
        std::vector<LogAdmission> got;
        for (const std::size_t size : c.lines)
            got.push_back(AdmitLogLine(budget, size, limitLine));
        EXPECT_EQ(got, c.expected) << c.lines.size() << " lines";
    }
}

TEST(LogLine, ThreadsTogetherStayWithinTheBudget)
{
    LogBudget budget;
    constexpr std::size_t kLine = 1000;
    constexpr std::size_t kLimitLine = 100;
    std::atomic<std::uint64_t> written{0};
    std::atomic<int> limitLines{0};
    auto offer = [&] {
        for (int i = 0; i < 1000; ++i) {
            const LogAdmission admission = AdmitLogLine(budget, kLine, kLimitLine);
            written += admission == LogAdmission::Write ? kLine : admission == LogAdmission::WriteLimitLine ? kLimitLine : 0;
            limitLines += admission == LogAdmission::WriteLimitLine ? 1 : 0;
        }
    };
    std::thread first(offer);
    std::thread second(offer);
    first.join();
    second.join();
    EXPECT_LE(written.load(), kLogLimitBytes);
    EXPECT_GT(written.load(), kLogLimitBytes - kLine - kLimitLine);
    EXPECT_EQ(limitLines.load(), 1);
}

}  // namespace
