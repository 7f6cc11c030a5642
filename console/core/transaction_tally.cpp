#include "quillard/transaction_tally.h"

#include <algorithm>
#include <cmath>

namespace {

double Ms(std::chrono::nanoseconds d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

const char* OutcomeName(TransactOutcome outcome)
{
    switch (outcome) {
        case TransactOutcome::kNone: return "none";
        case TransactOutcome::kSuccess: return "SUCCESS";
        case TransactOutcome::kNoData: return "NO DATA";
        case TransactOutcome::kLengthError: return "LEN ERR";
        case TransactOutcome::kBccError: return "BCC ERR";
        case TransactOutcome::kNoDefinition: return "NO DEF";
        case TransactOutcome::kWriteError: return "WRIT ERR";
        case TransactOutcome::kPortNotOpen: return "port not open";
        case TransactOutcome::kNoProtocol: return "no protocol";
        case TransactOutcome::kWrapFailed: return "wrap failed";
    }
    return "none";
}

void DurationSeries::Add(std::chrono::nanoseconds duration)
{
    if (m_count == 0 || duration < m_min) m_min = duration;
    if (m_count == 0 || duration > m_max) m_max = duration;
    ++m_count;
    m_total += duration;
    ++m_perMicrosecond[std::chrono::duration_cast<std::chrono::microseconds>(duration).count()];
}

void DurationSeries::Add(const DurationSeries& other)
{
    if (other.m_count == 0) return;
    if (m_count == 0 || other.m_min < m_min) m_min = other.m_min;
    if (m_count == 0 || other.m_max > m_max) m_max = other.m_max;
    m_count += other.m_count;
    m_total += other.m_total;
    for (const auto& [microseconds, count] : other.m_perMicrosecond)
        m_perMicrosecond[microseconds] += count;
}

DurationFigures DurationSeries::Figures() const
{
    DurationFigures figures;
    figures.timed = m_count;
    if (m_count == 0) return figures;
    figures.minMs = Ms(m_min);
    figures.maxMs = Ms(m_max);
    figures.meanMs = Ms(m_total) / static_cast<double>(m_count);
    // The nearest rank counted from the top, where it lies close by.
    const auto rank = std::max<std::size_t>(
        static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(m_count))), 1);
    std::size_t above = 0;
    for (auto bucket = m_perMicrosecond.rbegin(); bucket != m_perMicrosecond.rend(); ++bucket) {
        above += bucket->second;
        if (m_count - above < rank) {
            const double p99 = static_cast<double>(bucket->first) / 1000.0;
            figures.p99Ms = std::clamp(p99, figures.minMs, figures.maxMs);
            break;
        }
    }
    return figures;
}

void TransactionTally::Add(const TransactRecord& record)
{
    ++m_transactions;
    ++m_counts[static_cast<std::size_t>(record.outcome)];
    if (record.roundTrip) m_roundTrips.Add(*record.roundTrip);
}

void TransactionTally::Add(const TransactionTally& other)
{
    m_transactions += other.m_transactions;
    for (std::size_t i = 0; i < kOutcomeCount; ++i)
        m_counts[i] += other.m_counts[i];
    m_roundTrips.Add(other.m_roundTrips);
}
