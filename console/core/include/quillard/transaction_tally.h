// Transactions counted by outcome, and the figures of a series of times
// (minimum, mean, p99, maximum), kept in memory that does not grow with the
// number of transactions: quillard-run's summary and the window's loop
// statistics count alike.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>

#include "quillard/transaction.h"

inline constexpr std::size_t kOutcomeCount =
    static_cast<std::size_t>(TransactOutcome::kWrapFailed) + 1;

// The status word of an outcome, as the log shows it ("SUCCESS", "NO DATA",
// ...), or a short description for those that leave no IN line.
const char* OutcomeName(TransactOutcome outcome);

struct DurationFigures {
    std::size_t timed = 0;  // how many times the figures are made of
    double minMs = 0, meanMs = 0, p99Ms = 0, maxMs = 0;
};

class DurationSeries {
public:
    void Add(std::chrono::nanoseconds duration);
    // Every time of `other` too, as if each had been added here.
    void Add(const DurationSeries& other);
    std::size_t Count() const { return m_count; }
    // Minimum, mean and maximum are exact; p99 is the nearest rank (the
    // smallest time that 99 % of the series do not exceed) to the microsecond.
    DurationFigures Figures() const;

private:
    std::size_t m_count = 0;
    std::chrono::nanoseconds m_min{}, m_max{}, m_total{};
    // How many times fell in each microsecond: as many entries as there are
    // distinct times, however long the run.
    std::map<std::int64_t, std::size_t> m_perMicrosecond;
};

class TransactionTally {
public:
    void Add(const TransactRecord& record);
    // Every transaction of `other` too.
    void Add(const TransactionTally& other);

    long long Transactions() const { return m_transactions; }
    long long Count(TransactOutcome outcome) const
    {
        return m_counts[static_cast<std::size_t>(outcome)];
    }
    // The round trips of the transactions that read a reply (an IN line).
    const DurationSeries& RoundTrips() const { return m_roundTrips; }

private:
    long long m_transactions = 0;
    std::array<long long, kOutcomeCount> m_counts{};
    DurationSeries m_roundTrips;
};
