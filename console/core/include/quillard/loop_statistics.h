// The statistics of one loop send: its passes, and per row and in total the
// transactions by outcome, their round trips and the reader's own timing (the
// time from the end of the write to the first and to the last reply byte).
// One object belongs to one thread: the worker hands its transactions over a
// pass at a time (LoopSample), and the window thread adds them.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "quillard/transaction_tally.h"

// One transaction of a loop: the place of its row in the loop's order of rows,
// and how it went.
struct LoopSample {
    std::size_t rowIndex = 0;
    TransactRecord record;
};

class LoopStatistics {
public:
    using WallClock = std::chrono::system_clock;

    struct Row {
        int number = 0;  // 1 to 10, as the window numbers its rows
        TransactionTally tally;
        DurationSeries firstByte;
        DurationSeries lastByte;
    };

    // A new loop over the rows numbered `rowNumbers`, in the order it sends
    // them: every figure of the last loop goes.
    void Start(const std::vector<int>& rowNumbers, WallClock::time_point at);
    void AddPass() { ++m_passes; }
    // A sample whose row the loop does not have is left out.
    void Add(const LoopSample& sample);
    void Stop(WallClock::time_point at);

    bool Started() const { return m_started; }
    bool Running() const { return m_running; }
    long long Passes() const { return m_passes; }
    const TransactionTally& Total() const { return m_total; }
    const std::vector<Row>& Rows() const { return m_rows; }
    WallClock::time_point StartTime() const { return m_startTime; }
    WallClock::time_point StopTime() const { return m_stopTime; }

private:
    bool m_started = false;
    bool m_running = false;
    long long m_passes = 0;
    TransactionTally m_total;
    std::vector<Row> m_rows;
    WallClock::time_point m_startTime{}, m_stopTime{};
};

// The statistics as the window and the log file show them, in Chinese or in
// English; a running loop's duration counts up to `now`. Lines end in "\n";
// the columns line up in a fixed-pitch font in which a Chinese character is
// two columns wide.
std::string StatisticsText(const LoopStatistics& statistics, bool english,
                           LoopStatistics::WallClock::time_point now);

// The columns a text takes in a fixed-pitch font: two for a wide (CJK)
// character, one for any other.
std::size_t DisplayWidth(std::string_view utf8);
