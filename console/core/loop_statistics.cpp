#include "quillard/loop_statistics.h"

#include <algorithm>
#include <cstdio>

#include "quillard/local_time.h"
#include "quillard/text_encoding.h"

namespace {

// The outcomes the statistics count in columns of their own, in this order.
constexpr TransactOutcome kCounted[] = {
    TransactOutcome::kSuccess,     TransactOutcome::kNoData,       TransactOutcome::kLengthError,
    TransactOutcome::kBccError,    TransactOutcome::kNoDefinition, TransactOutcome::kWriteError,
    TransactOutcome::kPortNotOpen,
};
// Outcomes that leave no line in the log, named below the table when they occurred.
constexpr TransactOutcome kUncounted[] = {TransactOutcome::kWrapFailed,
                                          TransactOutcome::kNoProtocol};

struct Words {
    const char* title;
    const char* running;
    const char* stopped;
    const char* started;
    const char* duration;
    const char* passes;
    const char* transactions;
    const char* row;
    const char* sent;
    const char* portNotOpen;
    const char* share;
    const char* total;
    const char* roundTrip;
    const char* firstByte;
    const char* lastByte;
    const char* min;
    const char* mean;
    const char* max;
    const char* none;
    const char* wrapFailed;
    const char* noProtocol;
};

constexpr Words kEnglish{
    "Loop statistics",
    "running",
    "stopped",
    "Started",
    "duration",
    "Passes",
    "Transactions",
    "Row",
    "Sent",
    "not open",
    "SUCCESS %",
    "Total",
    "Round trip (ms)",
    "End of write to first reply byte (ms)",
    "End of write to last reply byte (ms)",
    "min",
    "mean",
    "max",
    "No loop has run yet.",
    "frame not built (wrap failed)",
    "no protocol",
};

constexpr Words kChinese{
    "循环统计",
    "运行中",
    "已停止",
    "开始",
    "用时",
    "轮数",
    "交易数",
    "行",
    "发送",
    "未打开",
    "成功率",
    "合计",
    "往返时间 (ms)",
    "写完到首个应答字节 (ms)",
    "写完到最后应答字节 (ms)",
    "最小",
    "平均",
    "最大",
    "还没有运行过循环。",
    "未生成帧 (wrap 失败)",
    "无协议",
};

std::string Milliseconds(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ms);
    return text;
}

std::string Percent(long long part, long long whole)
{
    if (whole == 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f%%",
                  100.0 * static_cast<double>(part) / static_cast<double>(whole));
    return text;
}

std::string Duration(std::chrono::system_clock::duration d)
{
    const long long seconds =
        std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(d).count());
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

void PadTo(std::string& text, std::string_view cell, std::size_t width, bool right)
{
    const std::size_t pad = width - std::min(width, DisplayWidth(cell));
    if (right) text.append(pad, ' ');
    text.append(cell);
    if (!right) text.append(pad, ' ');
}

// Rows of cells as lines: the first column to the left, the others to the
// right, two blanks between columns.
std::string Table(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i) line += "  ";
            PadTo(line, row[i], widths[i], i > 0);
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line + "\n";
    }
    return text;
}

std::vector<std::string> CountCells(std::string label, const TransactionTally& tally)
{
    std::vector<std::string> cells{std::move(label), std::to_string(tally.Transactions())};
    for (TransactOutcome outcome : kCounted)
        cells.push_back(std::to_string(tally.Count(outcome)));
    cells.push_back(Percent(tally.Count(TransactOutcome::kSuccess), tally.Transactions()));
    return cells;
}

std::vector<std::string> TimeCells(std::string label, const DurationSeries& series)
{
    const DurationFigures f = series.Figures();
    if (f.timed == 0) return {std::move(label), "-", "-", "-", "-", "0"};
    return {std::move(label),      Milliseconds(f.minMs), Milliseconds(f.meanMs),
            Milliseconds(f.p99Ms), Milliseconds(f.maxMs), std::to_string(f.timed)};
}

template <class SeriesOf>
std::string TimeTable(const Words& w, const char* heading, const LoopStatistics& statistics,
                      const SeriesOf& seriesOf, const DurationSeries* total)
{
    std::vector<std::vector<std::string>> rows{{heading, w.min, w.mean, "p99", w.max, "n"}};
    for (const LoopStatistics::Row& row : statistics.Rows())
        rows.push_back(TimeCells(std::to_string(row.number), seriesOf(row)));
    if (total) rows.push_back(TimeCells(w.total, *total));
    return Table(rows);
}

}  // namespace

void LoopStatistics::Start(const std::vector<int>& rowNumbers, WallClock::time_point at)
{
    *this = LoopStatistics{};
    m_started = true;
    m_running = true;
    m_startTime = at;
    for (int number : rowNumbers) {
        m_rows.emplace_back();
        m_rows.back().number = number;
    }
}

void LoopStatistics::Add(const LoopSample& sample)
{
    if (sample.rowIndex >= m_rows.size()) return;
    Row& row = m_rows[sample.rowIndex];
    row.tally.Add(sample.record);
    m_total.Add(sample.record);
    if (sample.record.firstByte) row.firstByte.Add(*sample.record.firstByte);
    if (sample.record.lastByte) row.lastByte.Add(*sample.record.lastByte);
}

void LoopStatistics::Stop(WallClock::time_point at)
{
    if (!m_running) return;
    m_running = false;
    m_stopTime = at;
}

std::string StatisticsText(const LoopStatistics& statistics, bool english,
                           LoopStatistics::WallClock::time_point now)
{
    const Words& w = english ? kEnglish : kChinese;
    if (!statistics.Started()) return std::string(w.title) + "\n\n" + w.none + "\n";
    const TransactionTally& total = statistics.Total();
    const auto end = statistics.Running() ? now : statistics.StopTime();

    std::string text =
        std::string(w.title) + " (" + (statistics.Running() ? w.running : w.stopped) + ")\n";
    text += std::string(w.started) + ": " + LocalTimeTextSeconds(statistics.StartTime()) + ", " +
            w.duration + " " + Duration(end - statistics.StartTime()) + "\n";
    text += std::string(w.passes) + ": " + std::to_string(statistics.Passes()) + "    " +
            w.transactions + ": " + std::to_string(total.Transactions()) + "\n\n";

    std::vector<std::vector<std::string>> counts{{w.row, w.sent}};
    for (TransactOutcome outcome : kCounted)
        counts[0].push_back(outcome == TransactOutcome::kPortNotOpen ? w.portNotOpen
                                                                     : OutcomeName(outcome));
    counts[0].push_back(w.share);
    for (const LoopStatistics::Row& row : statistics.Rows())
        counts.push_back(CountCells(std::to_string(row.number), row.tally));
    counts.push_back(CountCells(w.total, total));
    text += Table(counts);
    for (TransactOutcome outcome : kUncounted) {
        if (total.Count(outcome) == 0) continue;
        text += std::string(outcome == TransactOutcome::kWrapFailed ? w.wrapFailed : w.noProtocol) +
                ": " + std::to_string(total.Count(outcome)) + "\n";
    }

    text += "\n";
    text += TimeTable(
        w, w.roundTrip, statistics,
        [](const LoopStatistics::Row& r) -> const DurationSeries& { return r.tally.RoundTrips(); },
        &total.RoundTrips());
    text += "\n";
    text += TimeTable(
        w, w.firstByte, statistics,
        [](const LoopStatistics::Row& r) -> const DurationSeries& { return r.firstByte; }, nullptr);
    text += "\n";
    text += TimeTable(
        w, w.lastByte, statistics,
        [](const LoopStatistics::Row& r) -> const DurationSeries& { return r.lastByte; }, nullptr);
    return text;
}

// East Asian wide and full-width characters take two columns.
std::size_t DisplayWidth(std::string_view utf8)
{
    std::size_t width = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        char32_t c = static_cast<unsigned char>(utf8[at]);
        if (length > 1) {
            c &= 0x3F >> (length - 1);
            for (std::size_t i = 1; i < length; ++i)
                c = (c << 6) | (static_cast<unsigned char>(utf8[at + i]) & 0x3F);
        }
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6);
        width += wide ? 2 : 1;
        at += length;
    }
    return width;
}
