#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "quillard/loop_statistics.h"

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using ::testing::HasSubstr;

TEST(DurationSeries, FiguresAndTheNearestRankP99)
{
    struct Case {
        const char* name;
        std::vector<microseconds> times;
        double min, mean, p99, max;
    };
    const Case cases[] = {
        {"one", {microseconds(1500)}, 1.5, 1.5, 1.5, 1.5},
        {"two: p99 is the larger", {microseconds(1000), microseconds(3000)}, 1, 2, 3, 3},
        {"one slow in a hundred stays above p99",
         [] {
             std::vector<microseconds> t(99, microseconds(2000));
             t.push_back(microseconds(90000));
             return t;
         }(),
         2, 2.88, 2, 90},
        {"two slow in a hundred reach p99",
         [] {
             std::vector<microseconds> t(98, microseconds(2000));
             t.push_back(microseconds(50000));
             t.push_back(microseconds(90000));
             return t;
         }(),
         2, 3.36, 50, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DurationSeries series;
        for (microseconds t : c.times)
            series.Add(t);
        const DurationFigures f = series.Figures();
        EXPECT_EQ(f.timed, c.times.size());
        EXPECT_DOUBLE_EQ(f.minMs, c.min);
        EXPECT_NEAR(f.meanMs, c.mean, 1e-9);
        EXPECT_DOUBLE_EQ(f.p99Ms, c.p99);
        EXPECT_DOUBLE_EQ(f.maxMs, c.max);
    }
    EXPECT_EQ(DurationSeries().Figures().timed, 0u);

    // A long run: p99 from the counts per microsecond, within the min and max.
    DurationSeries longRun;
    for (int i = 0; i < 1000000; ++i)
        longRun.Add(std::chrono::nanoseconds(1000000 + (i % 1000) * 1000 + 400));
    const DurationFigures f = longRun.Figures();
    EXPECT_DOUBLE_EQ(f.p99Ms, 1.989);
    EXPECT_NEAR(f.maxMs, 1.9994, 1e-9);
}

TransactRecord Record(TransactOutcome outcome, int roundTripMs = -1, int firstMs = -1,
                      int lastMs = -1)
{
    TransactRecord record;
    record.outcome = outcome;
    if (roundTripMs >= 0) record.roundTrip = milliseconds(roundTripMs);
    if (firstMs >= 0) record.firstByte = milliseconds(firstMs);
    if (lastMs >= 0) record.lastByte = milliseconds(lastMs);
    return record;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The line that starts with `label` in the table that follows `heading`.
std::string TableLine(const std::string& text, const std::string& heading, const std::string& label)
{
    const auto lines = Lines(text);
    bool inTable = false;
    for (const std::string& line : lines) {
        if (line.rfind(heading, 0) == 0) {
            if (label == heading) return line;
            inTable = true;
        } else if (inTable && line.empty())
            break;
        else if (inTable && line.rfind(label, 0) == 0)
            return line;
    }
    return {};
}

TEST(LoopStatistics, CountsPerRowAndInTotalAndShowsThemInBothLanguages)
{
    LoopStatistics statistics;
    const auto start = LoopStatistics::WallClock::now();
    statistics.Start({2, 5}, start);
    for (int pass = 0; pass < 3; ++pass) {
        statistics.AddPass();
        statistics.Add({0, Record(TransactOutcome::kSuccess, 10 + pass, 2, 4)});
        statistics.Add(
            {1, Record(pass == 1 ? TransactOutcome::kWriteError : TransactOutcome::kNoData,
                       pass == 1 ? -1 : 200)});
    }
    statistics.Add({7, Record(TransactOutcome::kSuccess, 1)});  // no such row
    statistics.Stop(start + std::chrono::seconds(75));

    EXPECT_EQ(statistics.Passes(), 3);
    EXPECT_EQ(statistics.Total().Transactions(), 6);
    EXPECT_EQ(statistics.Rows()[0].number, 2);
    EXPECT_EQ(statistics.Rows()[0].tally.Count(TransactOutcome::kSuccess), 3);
    EXPECT_EQ(statistics.Rows()[1].tally.Count(TransactOutcome::kNoData), 2);
    EXPECT_EQ(statistics.Rows()[1].tally.Count(TransactOutcome::kWriteError), 1);
    EXPECT_EQ(statistics.Rows()[0].firstByte.Figures().maxMs, 2.0);
    EXPECT_EQ(statistics.Rows()[1].firstByte.Count(), 0u);

    const std::string english = StatisticsText(statistics, true, start);
    EXPECT_THAT(english, HasSubstr("Loop statistics (stopped)"));
    EXPECT_THAT(english, HasSubstr("duration 00:01:15"));
    EXPECT_THAT(english, HasSubstr("Passes: 3    Transactions: 6"));
    const std::string header = TableLine(english, "Row", "Row");
    EXPECT_EQ(
        header,
        "Row    Sent  SUCCESS  NO DATA  LEN ERR  BCC ERR  NO DEF  WRIT ERR  not open  SUCCESS %");
    EXPECT_EQ(
        TableLine(english, "Row", "2"),
        "2         3        3        0        0        0       0         0         0    100.00%");
    EXPECT_EQ(
        TableLine(english, "Row", "Total"),
        "Total     6        3        2        0        0       0         1         0     50.00%");
    EXPECT_EQ(TableLine(english, "Round trip (ms)", "2"),
              "2                 10.000   11.000   12.000   12.000  3");
    EXPECT_EQ(TableLine(english, "Round trip (ms)", "Total"),
              "Total             10.000   86.600  200.000  200.000  5");
    EXPECT_EQ(TableLine(english, "End of write to first reply byte", "5"),
              "5                                          -      -      -      -  0");

    // Chinese: the same figures under headings two columns a character wide.
    const std::string chinese = StatisticsText(statistics, false, start);
    EXPECT_THAT(chinese, HasSubstr("循环统计 (已停止)"));
    EXPECT_THAT(chinese, HasSubstr("轮数: 3    交易数: 6"));
    const std::string chineseHeader = TableLine(chinese, "行", "行");
    const std::string chineseTotal = TableLine(chinese, "行", "合计");
    EXPECT_EQ(DisplayWidth(chineseHeader), DisplayWidth(chineseTotal));
    EXPECT_THAT(chineseTotal, HasSubstr("50.00%"));

    // A new start forgets the last loop; before any, there is nothing to show.
    statistics.Start({1}, start);
    EXPECT_EQ(statistics.Total().Transactions(), 0);
    EXPECT_TRUE(statistics.Running());
    EXPECT_THAT(StatisticsText(LoopStatistics{}, true, start), HasSubstr("No loop has run yet."));
    if (::testing::Test::HasFailure()) std::printf("%s\n%s", english.c_str(), chinese.c_str());
}

TEST(LoopStatistics, DisplayWidthCountsWideCharactersTwice)
{
    EXPECT_EQ(DisplayWidth("SUCCESS"), 7u);
    EXPECT_EQ(DisplayWidth("成功率"), 6u);
    EXPECT_EQ(DisplayWidth("往返时间 (ms)"), 13u);
}

}  // namespace
