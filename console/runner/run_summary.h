// What a run did: the transactions by outcome and their round trips, as a
// summary for people or as JSON.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "quillard/transaction.h"

inline constexpr std::size_t kOutcomeCount =
    static_cast<std::size_t>(TransactOutcome::kWrapFailed) + 1;

// The status word of an outcome, as the log shows it ("SUCCESS", "NO DATA",
// ...), or a short description for those that leave no IN line.
const char* OutcomeName(TransactOutcome outcome);

struct RoundTripFigures {
    std::size_t timed = 0;  // transactions with a round trip
    double minMs = 0, meanMs = 0, p99Ms = 0, maxMs = 0;
};

class RunSummary {
public:
    void Add(const TransactRecord& record);

    long long Transactions() const { return m_transactions; }
    long long Count(TransactOutcome outcome) const
    {
        return m_counts[static_cast<std::size_t>(outcome)];
    }
    bool AllSucceeded() const
    {
        return m_transactions > 0 && Count(TransactOutcome::kSuccess) == m_transactions;
    }
    // p99 is the nearest rank: the smallest time that 99 % of the round trips
    // do not exceed.
    RoundTripFigures RoundTrips() const;

private:
    long long m_transactions = 0;
    std::array<long long, kOutcomeCount> m_counts{};
    std::vector<std::chrono::nanoseconds> m_roundTrips;
};

// "transactions: N", one line per outcome, "round trip: min … ms, …".
std::string SummaryText(const RunSummary& summary, bool interrupted);
// One line of JSON with the same figures and the exit code.
std::string SummaryJson(const RunSummary& summary, bool interrupted, int exitCode);
