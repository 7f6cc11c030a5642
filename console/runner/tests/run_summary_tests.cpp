#include "run_summary.h"

#include <string>
#include <vector>

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

// A report of one port with rows as given, their transactions added.
RunReport OnePort(std::vector<RowReport> rows, bool expects = false)
{
    RunReport report;
    report.ports.push_back({"COM3", true, {}, std::move(rows)});
    report.expectsReplies = expects;
    return report;
}

TEST(RunSummary, TextAndJsonNameEveryOutcome)
{
    RowReport row{"A1", std::nullopt, {}, std::nullopt, std::nullopt};
    row.summary.Add({TransactOutcome::kSuccess, milliseconds(2)});
    row.summary.Add({TransactOutcome::kBccError, milliseconds(4)});
    row.summary.Add({TransactOutcome::kPortNotOpen, std::nullopt});
    RunReport report = OnePort({row});
    report.interrupted = true;
    EXPECT_EQ(SummaryText(report),
              "transactions: 3\nSUCCESS: 1\nNO DATA: 0\nLEN ERR: 0\nBCC ERR: 1\nNO DEF: 0\n"
              "WRIT ERR: 0\nport not open: 1\nwrap failed: 0\n"
              "round trip: min 2.000 ms, mean 3.000 ms, p99 4.000 ms, max 4.000 ms (2 timed)\n"
              "interrupted\n");
    report.interrupted = false;
    const std::string counts =
        "\"transactions\":3,\"outcomes\":{\"SUCCESS\":1,\"NO DATA\":0,\"LEN ERR\":0,"
        "\"BCC ERR\":1,\"NO DEF\":0,\"WRIT ERR\":0,\"port not open\":1,\"wrap failed\":0,"
        "\"no protocol\":0,\"MISMATCH\":0},\"round_trip_ms\":{\"timed\":2,\"min\":2.000,"
        "\"mean\":3.000,\"p99\":4.000,\"max\":4.000}";
    const std::string untimed =
        "{\"timed\":0,\"min\":null,\"mean\":null,\"p99\":null,\"max\":null}";
    EXPECT_EQ(SummaryJson(report, 1),
              "{" + counts + ",\"ports\":[{\"port\":\"COM3\",\"opened\":true,\"error\":null," +
                  counts + ",\"rows\":[{\"row\":\"A1\",\"expect\":null," + counts +
                  ",\"first_byte_ms\":" + untimed + ",\"last_byte_ms\":" + untimed +
                  ",\"last_reply\":null,\"first_failure\":null}]}],\"interrupted\":false,"
                  "\"exit_code\":1}\n");

    RowReport lost{"A1", std::nullopt, {}, std::nullopt, std::nullopt};
    lost.summary.Add({TransactOutcome::kNoProtocol, std::nullopt});
    EXPECT_THAT(SummaryText(OnePort({lost})),
                HasSubstr("no protocol: 1\nround trip: none timed\n"));
    EXPECT_THAT(SummaryJson(OnePort({lost}), 1), HasSubstr("\"round_trip_ms\":" + untimed));
}

// A reply other than the one expected moves a success to MISMATCH, in the
// row, its port and the run; rows get a line of their own, ports a block.
TEST(RunSummary, MismatchesPerRowPortAndRun)
{
    RowReport select{"00A4=>9000", "90 00", {}, std::nullopt, "6A 82"};
    select.summary.Add({TransactOutcome::kSuccess, milliseconds(3)});
    select.summary.Add({TransactOutcome::kSuccess, milliseconds(5)}, true);
    select.firstFailure = FirstFailure{"MISMATCH", "6A 82", "90 00"};
    RowReport read{"\"B0\"", std::nullopt, {}, std::nullopt, std::nullopt};
    read.summary.Add({TransactOutcome::kNoData, milliseconds(40)});
    read.firstFailure = FirstFailure{"NO DATA", std::nullopt, std::nullopt};
    EXPECT_EQ(select.summary.Count(TransactOutcome::kSuccess), 1);
    EXPECT_EQ(select.summary.Failures(), 1);
    EXPECT_FALSE(select.summary.AllSucceeded());

    RunReport report = OnePort({select, read}, true);
    const std::string text = SummaryText(report);
    EXPECT_THAT(text, HasSubstr("transactions: 3\nSUCCESS: 1\nMISMATCH: 1\nNO DATA: 1\n"));
    EXPECT_THAT(text, HasSubstr("row 1 00A4=>9000: 2 transactions, SUCCESS 1, MISMATCH 1, "
                                "round trip min 3.000 ms"));
    EXPECT_THAT(text, HasSubstr("row 2 \"B0\": 1 transaction, NO DATA 1, round trip"));
    const std::string json = SummaryJson(report, 1);
    EXPECT_THAT(json, HasSubstr("\"row\":\"\\\"B0\\\"\""));
    EXPECT_THAT(json, HasSubstr("\"last_reply\":\"6A 82\",\"first_failure\":{\"outcome\":"
                                "\"MISMATCH\",\"reply\":\"6A 82\",\"expected\":\"90 00\"}"));

    report.ports.push_back({"COM4", true, {}, {select}});
    report.ports.push_back({"COM5", false, "Open COM 5 Failed！", {}});
    const std::string several = SummaryText(report);
    EXPECT_THAT(several, HasSubstr("COM3:\n  transactions: 3\n  SUCCESS: 1\n  MISMATCH: 1\n"));
    EXPECT_THAT(several, HasSubstr("COM4:\n  transactions: 2\n"));
    EXPECT_THAT(several, HasSubstr("COM5:\n  not opened: Open COM 5 Failed！\n"));
    EXPECT_THAT(several, HasSubstr("total:\n  transactions: 5\n  SUCCESS: 2\n  MISMATCH: 2\n"));
    EXPECT_THAT(
        SummaryJson(report, 1),
        HasSubstr("{\"port\":\"COM5\",\"opened\":false,\"error\":\"Open COM 5 Failed！\","));
}

}  // namespace
