#include "run_summary.h"
#include "quillard/concatenated.h"

#include <cstdio>

namespace {

// The outcomes in the order the summary lists them; "no protocol" only when
// it happened (a run starts only with a bound plug-in).
constexpr TransactOutcome kListed[] = {
    TransactOutcome::kSuccess,     TransactOutcome::kNoData,       TransactOutcome::kLengthError,
    TransactOutcome::kBccError,    TransactOutcome::kNoDefinition, TransactOutcome::kWriteError,
    TransactOutcome::kPortNotOpen, TransactOutcome::kWrapFailed,   TransactOutcome::kNoProtocol,
};

std::string Fixed(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

bool Shown(const RunSummary& summary, TransactOutcome outcome)
{
    return outcome != TransactOutcome::kNoProtocol || summary.Count(outcome) > 0;
}

}  // namespace

std::string SummaryText(const RunSummary& summary, bool interrupted)
{
    std::string text = "transactions: " + std::to_string(summary.Transactions()) + "\n";
    for (TransactOutcome outcome : kListed) {
        if (Shown(summary, outcome))
            text += std::string(OutcomeName(outcome)) + ": " +
                    std::to_string(summary.Count(outcome)) + "\n";
    }
    const RoundTripFigures rt = summary.RoundTrips();
    if (rt.timed == 0)
        text += "round trip: none timed\n";
    else
        text += "round trip: min " + Fixed(rt.minMs) + " ms, mean " + Fixed(rt.meanMs) +
                " ms, p99 " + Fixed(rt.p99Ms) + " ms, max " + Fixed(rt.maxMs) + " ms (" +
                std::to_string(rt.timed) + " timed)\n";
    if (interrupted) text += "interrupted\n";
    return text;
}

std::string SummaryJson(const RunSummary& summary, bool interrupted, int exitCode)
{
    std::string json =
        "{\"transactions\":" + std::to_string(summary.Transactions()) + ",\"outcomes\":{";
    const char* comma = "";
    for (TransactOutcome outcome : kListed) {
        json += Concatenated(
            {comma, "\"", OutcomeName(outcome), "\":", std::to_string(summary.Count(outcome))});
        comma = ",";
    }
    const RoundTripFigures rt = summary.RoundTrips();
    const auto figure = [&](double value) { return rt.timed ? Fixed(value) : "null"; };
    json += "},\"round_trip_ms\":{\"timed\":" + std::to_string(rt.timed) +
            ",\"min\":" + figure(rt.minMs) + ",\"mean\":" + figure(rt.meanMs) +
            ",\"p99\":" + figure(rt.p99Ms) + ",\"max\":" + figure(rt.maxMs) + "}";
    json += ",\"interrupted\":" + std::string(interrupted ? "true" : "false") +
            ",\"exit_code\":" + std::to_string(exitCode) + "}\n";
    return json;
}
