#include "run_summary.h"

#include <cstdio>

#include "quillard/concatenated.h"
#include "text_escape.h"

namespace {

// The outcomes in the order the summary lists them, after SUCCESS and
// MISMATCH; "no protocol" only when it happened (a run starts only with a
// bound plug-in).
constexpr TransactOutcome kFailures[] = {
    TransactOutcome::kNoData,       TransactOutcome::kLengthError, TransactOutcome::kBccError,
    TransactOutcome::kNoDefinition, TransactOutcome::kWriteError,  TransactOutcome::kPortNotOpen,
    TransactOutcome::kWrapFailed,   TransactOutcome::kNoProtocol,
};
constexpr const char* kMismatch = "MISMATCH";

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

std::string FiguresText(const DurationFigures& figures)
{
    return "min " + Fixed(figures.minMs) + " ms, mean " + Fixed(figures.meanMs) + " ms, p99 " +
           Fixed(figures.p99Ms) + " ms, max " + Fixed(figures.maxMs) + " ms";
}

// "row 2 A3@40: 3 transactions, SUCCESS 2, NO DATA 1, round trip min …"
std::string RowLine(std::size_t number, const RowReport& row)
{
    const RunSummary& summary = row.summary;
    std::string line = "row " + std::to_string(number) + " " + row.name + ": " +
                       std::to_string(summary.Transactions()) +
                       (summary.Transactions() == 1 ? " transaction" : " transactions");
    const auto count = [&](const char* name, long long value) {
        if (value > 0) line += Concatenated({", ", name, " ", std::to_string(value)});
    };
    count(OutcomeName(TransactOutcome::kSuccess), summary.Count(TransactOutcome::kSuccess));
    count(kMismatch, summary.Mismatches());
    for (TransactOutcome outcome : kFailures)
        count(OutcomeName(outcome), summary.Count(outcome));
    const RoundTripFigures rt = summary.RoundTrips();
    if (rt.timed > 0) line += ", round trip " + FiguresText(rt);
    return line += "\n";
}

std::string Indented(const std::string& text)
{
    std::string indented;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start))
        indented += Concatenated({"  ", std::string_view(text).substr(start, end - start + 1)});
    return indented;
}

std::string FiguresJson(const DurationFigures& figures)
{
    const auto figure = [&](double value) { return figures.timed ? Fixed(value) : "null"; };
    return "{\"timed\":" + std::to_string(figures.timed) + ",\"min\":" + figure(figures.minMs) +
           ",\"mean\":" + figure(figures.meanMs) + ",\"p99\":" + figure(figures.p99Ms) +
           ",\"max\":" + figure(figures.maxMs) + "}";
}

std::string OptionalJson(const std::optional<std::string>& text)
{
    return text ? JsonString(*text) : "null";
}

// "transactions", "outcomes" and "round_trip_ms" of one summary, without braces.
std::string CountsJson(const RunSummary& summary)
{
    std::string json =
        "\"transactions\":" + std::to_string(summary.Transactions()) +
        ",\"outcomes\":{\"SUCCESS\":" + std::to_string(summary.Count(TransactOutcome::kSuccess));
    for (TransactOutcome outcome : kFailures)
        json += Concatenated(
            {",\"", OutcomeName(outcome), "\":", std::to_string(summary.Count(outcome))});
    json += Concatenated({",\"", kMismatch, "\":", std::to_string(summary.Mismatches())});
    return json += "},\"round_trip_ms\":" + FiguresJson(summary.RoundTrips());
}

std::string RowJson(const RowReport& row)
{
    std::string json = "{\"row\":" + JsonString(row.name) +
                       ",\"expect\":" + OptionalJson(row.expected) + "," + CountsJson(row.summary) +
                       ",\"first_byte_ms\":" + FiguresJson(row.summary.FirstBytes()) +
                       ",\"last_byte_ms\":" + FiguresJson(row.summary.LastBytes()) +
                       ",\"last_reply\":" + OptionalJson(row.lastReply) + ",\"first_failure\":";
    if (!row.firstFailure) return json += "null}";
    return json += "{\"outcome\":" + JsonString(row.firstFailure->outcome) +
                   ",\"reply\":" + OptionalJson(row.firstFailure->reply) +
                   ",\"expected\":" + OptionalJson(row.firstFailure->expected) + "}}";
}

std::string PortJson(const PortReport& port)
{
    std::string json =
        "{\"port\":" + JsonString(port.name) + ",\"opened\":" + (port.opened ? "true" : "false") +
        ",\"error\":" + (port.opened ? std::string("null") : JsonString(port.error)) + "," +
        CountsJson(port.Total()) + ",\"rows\":[";
    const char* comma = "";
    for (const RowReport& row : port.rows) {
        json += comma;
        json += RowJson(row);
        comma = ",";
    }
    return json += "]}";
}

}  // namespace

void RunSummary::Add(const TransactRecord& record, bool mismatch)
{
    m_tally.Add(record);
    if (mismatch) ++m_mismatches;
    if (record.firstByte) m_firstBytes.Add(*record.firstByte);
    if (record.lastByte) m_lastBytes.Add(*record.lastByte);
    if (record.roundTrip) m_spent += *record.roundTrip;
}

void RunSummary::Add(const RunSummary& other)
{
    m_tally.Add(other.m_tally);
    m_mismatches += other.m_mismatches;
    m_firstBytes.Add(other.m_firstBytes);
    m_lastBytes.Add(other.m_lastBytes);
    m_spent += other.m_spent;
}

RunSummary PortReport::Total() const
{
    RunSummary total;
    for (const RowReport& row : rows)
        total.Add(row.summary);
    return total;
}

RunSummary RunReport::Total() const
{
    RunSummary total;
    for (const PortReport& port : ports)
        total.Add(port.Total());
    return total;
}

std::string SummaryText(const RunSummary& summary, bool withMismatches)
{
    std::string text = "transactions: " + std::to_string(summary.Transactions()) + "\n";
    text += Concatenated({OutcomeName(TransactOutcome::kSuccess), ": ",
                          std::to_string(summary.Count(TransactOutcome::kSuccess)), "\n"});
    if (withMismatches)
        text += Concatenated({kMismatch, ": ", std::to_string(summary.Mismatches()), "\n"});
    for (TransactOutcome outcome : kFailures) {
        if (Shown(summary, outcome))
            text += Concatenated(
                {OutcomeName(outcome), ": ", std::to_string(summary.Count(outcome)), "\n"});
    }
    const RoundTripFigures rt = summary.RoundTrips();
    if (rt.timed == 0)
        text += "round trip: none timed\n";
    else
        text += "round trip: " + FiguresText(rt) + " (" + std::to_string(rt.timed) + " timed)\n";
    return text;
}

std::string SummaryText(const RunReport& report)
{
    const auto portText = [&](const PortReport& port) {
        if (!port.opened) return "not opened: " + port.error + "\n";
        std::string text = SummaryText(port.Total(), report.expectsReplies);
        if (port.rows.size() > 1 || report.expectsReplies) {
            for (std::size_t i = 0; i < port.rows.size(); ++i)
                text += RowLine(i + 1, port.rows[i]);
        }
        return text;
    };
    std::string text;
    if (report.ports.size() == 1) {
        // a port that did not open has said why
        if (report.ports.front().opened) text = portText(report.ports.front());
    } else {
        for (const PortReport& port : report.ports)
            text += port.name + ":\n" + Indented(portText(port));
        text += "total:\n" + Indented(SummaryText(report.Total(), report.expectsReplies));
    }
    if (report.interrupted) text += "interrupted\n";
    return text;
}

std::string SummaryJson(const RunReport& report, int exitCode)
{
    std::string json = "{";
    json += CountsJson(report.Total()) + ",\"ports\":[";
    const char* comma = "";
    for (const PortReport& port : report.ports) {
        json += comma;
        json += PortJson(port);
        comma = ",";
    }
    json += "],\"interrupted\":" + std::string(report.interrupted ? "true" : "false") +
            ",\"exit_code\":" + std::to_string(exitCode) + "}\n";
    return json;
}
