// What a run did: the transactions by outcome (a reply other than the one
// expected as MISMATCH) and their times, for each row, each port and the whole
// run, as a summary for people or as JSON.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "quillard/transaction_tally.h"

using RoundTripFigures = DurationFigures;

// The counts and times of a row, a port or a run.
class RunSummary {
public:
    // A transaction; `mismatch`: it succeeded, with a reply other than the one
    // expected.
    void Add(const TransactRecord& record, bool mismatch = false);
    // Every transaction of `other` too.
    void Add(const RunSummary& other);

    long long Transactions() const { return m_tally.Transactions(); }
    // SUCCESS counts only the replies that were as expected.
    long long Count(TransactOutcome outcome) const
    {
        return m_tally.Count(outcome) - (outcome == TransactOutcome::kSuccess ? m_mismatches : 0);
    }
    long long Mismatches() const { return m_mismatches; }
    long long Failures() const { return Transactions() - Count(TransactOutcome::kSuccess); }
    bool AllSucceeded() const { return Transactions() > 0 && Failures() == 0; }

    RoundTripFigures RoundTrips() const { return m_tally.RoundTrips().Figures(); }
    DurationFigures FirstBytes() const { return m_firstBytes.Figures(); }
    DurationFigures LastBytes() const { return m_lastBytes.Figures(); }
    // The round trips added up: the time the transactions waited for replies.
    std::chrono::nanoseconds TimeSpent() const { return m_spent; }

private:
    TransactionTally m_tally;
    long long m_mismatches = 0;
    DurationSeries m_firstBytes, m_lastBytes;
    std::chrono::nanoseconds m_spent{};
};

// The first transaction of a row that did not succeed.
struct FirstFailure {
    std::string outcome;                  // "NO DATA", "MISMATCH", ...
    std::optional<std::string> reply;     // its reply's bytes, when it read one
    std::optional<std::string> expected;  // the pattern, for a mismatch
};

// A row as one port sent it.
struct RowReport {
    std::string name;                     // the row as given
    std::optional<std::string> expected;  // the reply pattern it expects
    RunSummary summary;
    std::optional<FirstFailure> firstFailure;
    std::optional<std::string> lastReply;  // the bytes of the last reply read
};

// A port of the run: its rows, or why it was not opened.
struct PortReport {
    std::string name;  // "COM3"
    bool opened = false;
    std::string error;  // why not
    std::vector<RowReport> rows;

    RunSummary Total() const;
};

// Everything a run reports.
struct RunReport {
    std::vector<PortReport> ports;
    bool interrupted = false;
    bool expectsReplies = false;  // some row expects a reply: MISMATCH is shown

    RunSummary Total() const;
};

// The block of one summary: "transactions: N", one line per outcome,
// "round trip: min … ms, …".
std::string SummaryText(const RunSummary& summary, bool withMismatches);
// The whole summary: the block of the run (of each port and then the total,
// when there are several), each row's line when there are several rows or a
// row expects a reply, and "interrupted".
std::string SummaryText(const RunReport& report);
// One line of JSON with the same figures, per port and row, and the exit code.
std::string SummaryJson(const RunReport& report, int exitCode);
