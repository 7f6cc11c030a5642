// What a run did: the transactions by outcome and their round trips, as a
// summary for people or as JSON.
#pragma once

#include <string>

#include "quillard/transaction_tally.h"

using RoundTripFigures = DurationFigures;

// The counts and round trips of a run.
class RunSummary {
public:
    void Add(const TransactRecord& record) { m_tally.Add(record); }

    long long Transactions() const { return m_tally.Transactions(); }
    long long Count(TransactOutcome outcome) const { return m_tally.Count(outcome); }
    bool AllSucceeded() const
    {
        return Transactions() > 0 && Count(TransactOutcome::kSuccess) == Transactions();
    }
    RoundTripFigures RoundTrips() const { return m_tally.RoundTrips().Figures(); }

private:
    TransactionTally m_tally;
};

// "transactions: N", one line per outcome, "round trip: min … ms, …".
std::string SummaryText(const RunSummary& summary, bool interrupted);
// One line of JSON with the same figures and the exit code.
std::string SummaryJson(const RunSummary& summary, bool interrupted, int exitCode);
