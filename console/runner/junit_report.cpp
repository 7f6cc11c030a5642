#include "junit_report.h"

#include <cstdio>

#include "quillard/concatenated.h"
#include "quillard/file_replace.h"
#include "text_escape.h"

namespace {

std::string Seconds(std::chrono::nanoseconds duration)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::chrono::duration<double>(duration).count());
    return text;
}

std::string Attribute(std::string_view name, std::string_view value)
{
    return Concatenated({" ", name, "=\"", XmlText(value), "\""});
}

std::string Property(std::string_view name, std::string_view value)
{
    return Concatenated(
        {"        <property", Attribute("name", name), Attribute("value", value), "/>\n"});
}

// min, mean, p99 and max of a series as properties "<prefix>.min" ...
std::string FigureProperties(const std::string& prefix, const DurationFigures& figures)
{
    if (figures.timed == 0) return {};
    std::string properties;
    const std::pair<const char*, double> named[] = {{"min", figures.minMs},
                                                    {"mean", figures.meanMs},
                                                    {"p99", figures.p99Ms},
                                                    {"max", figures.maxMs}};
    for (const auto& [name, value] : named) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", value);
        properties += Property(prefix + "." + name, text);
    }
    return properties;
}

// "NO DATA 2, MISMATCH 1": the outcomes of the failed transactions.
std::string FailureCounts(const RunSummary& summary)
{
    std::string counts;
    const auto add = [&](const char* name, long long count) {
        if (count == 0) return;
        if (!counts.empty()) counts += ", ";
        counts += Concatenated({name, " ", std::to_string(count)});
    };
    add("MISMATCH", summary.Mismatches());
    for (std::size_t i = 0; i < kOutcomeCount; ++i) {
        const auto outcome = static_cast<TransactOutcome>(i);
        if (outcome != TransactOutcome::kSuccess && outcome != TransactOutcome::kNone)
            add(OutcomeName(outcome), summary.Count(outcome));
    }
    return counts;
}

// The message CI servers show for a failed row: the first failure's outcome
// and the counts ("MISMATCH: 3 of 10 transactions failed (MISMATCH 2, NO DATA
// 1); first reply 6A 82, expected 90 00").
std::string FailureMessage(const RowReport& row)
{
    const RunSummary& summary = row.summary;
    std::string message = row.firstFailure->outcome + ": " + std::to_string(summary.Failures()) +
                          " of " + std::to_string(summary.Transactions()) +
                          " transactions failed (" + FailureCounts(summary) + ")";
    if (row.firstFailure->reply) message += "; first reply " + *row.firstFailure->reply;
    if (row.firstFailure->expected) message += ", expected " + *row.firstFailure->expected;
    return message;
}

std::string TestCase(const PortReport& port, const RowReport& row, const std::string& className)
{
    const RunSummary& summary = row.summary;
    std::string xml = "    <testcase" + Attribute("classname", className) +
                      Attribute("name", row.name) +
                      Attribute("time", Seconds(summary.TimeSpent())) + ">\n      <properties>\n";
    xml += Property("transactions", std::to_string(summary.Transactions()));
    if (row.expected) xml += Property("expected", *row.expected);
    xml += FigureProperties("round_trip_ms", summary.RoundTrips());
    xml += FigureProperties("first_byte_ms", summary.FirstBytes());
    xml += FigureProperties("last_byte_ms", summary.LastBytes());
    xml += "      </properties>\n";
    if (!port.opened) {
        xml +=
            "      <error" + Attribute("message", port.error) + Attribute("type", "open") + "/>\n";
    } else if (summary.Transactions() == 0) {
        xml += "      <skipped" + Attribute("message", "not sent") + "/>\n";
    } else if (row.firstFailure) {
        const std::string message = FailureMessage(row);
        xml += "      <failure" + Attribute("message", message) +
               Attribute("type", row.firstFailure->outcome) + ">" + XmlText(message) +
               "</failure>\n";
    }
    return xml += "    </testcase>\n";
}

}  // namespace

std::string JUnitXml(const RunReport& report, const std::string& className)
{
    std::string suites;
    std::size_t tests = 0, failures = 0, errors = 0, skipped = 0;
    std::chrono::nanoseconds total{};
    for (const PortReport& port : report.ports) {
        std::size_t portFailures = 0, portSkipped = 0;
        std::chrono::nanoseconds spent{};
        std::string cases;
        for (const RowReport& row : port.rows) {
            cases += TestCase(port, row, className);
            spent += row.summary.TimeSpent();
            if (port.opened && row.summary.Transactions() == 0) ++portSkipped;
            if (port.opened && row.firstFailure) ++portFailures;
        }
        const std::size_t portErrors = port.opened ? 0 : port.rows.size();
        suites += "  <testsuite" + Attribute("name", port.name) +
                  Attribute("tests", std::to_string(port.rows.size())) +
                  Attribute("failures", std::to_string(portFailures)) +
                  Attribute("errors", std::to_string(portErrors)) +
                  Attribute("skipped", std::to_string(portSkipped)) +
                  Attribute("time", Seconds(spent)) + ">\n";
        if (report.interrupted)
            suites +=
                "    <properties>\n" + Property("interrupted", "true") + "    </properties>\n";
        suites += cases + "  </testsuite>\n";
        tests += port.rows.size();
        failures += portFailures;
        errors += portErrors;
        skipped += portSkipped;
        total += spent;
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" +
           Attribute("name", "quillard-run") + Attribute("tests", std::to_string(tests)) +
           Attribute("failures", std::to_string(failures)) +
           Attribute("errors", std::to_string(errors)) +
           Attribute("skipped", std::to_string(skipped)) + Attribute("time", Seconds(total)) +
           ">\n" + suites + "</testsuites>\n";
}

bool WriteJUnitFile(const std::string& path, const std::string& xml)
{
    return ReplaceFileContents(path, xml);
}
