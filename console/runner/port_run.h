// One port of a run: opened, then the rows pass after pass on a worker of its
// own, each transaction counted against its row.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "command_rows.h"
#include "hollet/CxBasePort.h"
#include "run_summary.h"
#include "runner_options.h"
#include "runner_output.h"

// The rows every port sends, with what each expects.
struct RunRows {
    std::vector<LoopRow> loop;    // the prepared texts and time-outs
    std::vector<RowTexts> texts;  // as given, in the same order
};

// When the passes of every port end.
struct RunLimits {
    unsigned long passes = 1;
    std::optional<std::chrono::steady_clock::time_point> deadline;
    bool stopOnError = false;
};

class PortRun {
public:
    // `prefix` goes before each of its log lines; `pluginLock` is held by
    // every plug-in call of every port.
    PortRun(const RunnerPort& chosen, const RunnerOptions& options, std::string prefix,
            std::mutex& pluginLock);
    ~PortRun();
    PortRun(const PortRun&) = delete;
    PortRun& operator=(const PortRun&) = delete;

    // Opens the port; false after telling why (in `language`).
    bool Open(int language);
    // The passes over `rows`, until the limits or an interrupt end them.
    void Run(const RunRows& rows, const RunLimits& limits, int language);
    void Close();

    const PortReport& Report() const { return m_report; }

private:
    // Counts the transaction just made of row `index`; false when it stops
    // the port.
    bool Count(const RunRows& rows, std::size_t index, int result, const RunLimits& limits,
               int language);

    RunnerPort m_chosen;
    const RunnerOptions& m_options;
    RunnerSink m_sink;
    TransactionEngine m_engine;
    std::unique_ptr<CxBasePort> m_port;
    PortReport m_report;
};
