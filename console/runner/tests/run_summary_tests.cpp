#include "run_summary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;
using ::testing::HasSubstr;

TEST(RunSummary, RoundTripFiguresAndTheNearestRankP99)
{
    RunSummary summary;
    for (int ms = 100; ms >= 1; --ms)  // the order they come in does not count
        summary.Add({TransactOutcome::kSuccess, milliseconds(ms)});
    summary.Add({TransactOutcome::kWriteError, std::nullopt});  // not timed
    const RoundTripFigures rt = summary.RoundTrips();
    EXPECT_EQ(rt.timed, 100u);
    EXPECT_DOUBLE_EQ(rt.minMs, 1.0);
    EXPECT_DOUBLE_EQ(rt.meanMs, 50.5);
    EXPECT_DOUBLE_EQ(rt.p99Ms, 99.0);
    EXPECT_DOUBLE_EQ(rt.maxMs, 100.0);
    EXPECT_EQ(summary.Transactions(), 101);
    EXPECT_FALSE(summary.AllSucceeded());

    RunSummary one;
    one.Add({TransactOutcome::kSuccess, std::chrono::microseconds(1500)});
    EXPECT_DOUBLE_EQ(one.RoundTrips().p99Ms, 1.5);
    EXPECT_TRUE(one.AllSucceeded());
    EXPECT_FALSE(RunSummary().AllSucceeded());  // nothing sent is no success
}

TEST(RunSummary, TextAndJsonNameEveryOutcome)
{
    RunSummary summary;
    summary.Add({TransactOutcome::kSuccess, milliseconds(2)});
    summary.Add({TransactOutcome::kBccError, milliseconds(4)});
    summary.Add({TransactOutcome::kPortNotOpen, std::nullopt});
    EXPECT_EQ(SummaryText(summary, true),
              "transactions: 3\nSUCCESS: 1\nNO DATA: 0\nLEN ERR: 0\nBCC ERR: 1\nNO DEF: 0\n"
              "WRIT ERR: 0\nport not open: 1\nwrap failed: 0\n"
              "round trip: min 2.000 ms, mean 3.000 ms, p99 4.000 ms, max 4.000 ms (2 timed)\n"
              "interrupted\n");
    EXPECT_EQ(SummaryJson(summary, false, 1),
              "{\"transactions\":3,\"outcomes\":{\"SUCCESS\":1,\"NO DATA\":0,\"LEN ERR\":0,"
              "\"BCC ERR\":1,\"NO DEF\":0,\"WRIT ERR\":0,\"port not open\":1,\"wrap failed\":0,"
              "\"no protocol\":0},\"round_trip_ms\":{\"timed\":2,\"min\":2.000,\"mean\":3.000,"
              "\"p99\":4.000,\"max\":4.000},\"interrupted\":false,\"exit_code\":1}\n");

    RunSummary untimed;
    untimed.Add({TransactOutcome::kNoProtocol, std::nullopt});
    EXPECT_THAT(SummaryText(untimed, false), HasSubstr("no protocol: 1\nround trip: none timed\n"));
    EXPECT_THAT(SummaryJson(untimed, false, 1),
                HasSubstr("{\"timed\":0,\"min\":null,\"mean\":null,\"p99\":null,\"max\":null}"));
}

}  // namespace
