// The loop statistics: the worker hands each pass's transactions to the window
// thread with its log lines (no lock of its own), the window thread counts
// them, and the statistics window shows them a few times a second while a
// loop runs. They stay after the loop until the next one starts; when a loop
// ends, the log file gets them too.
#include "language_texts.h"
#include "main_dialog.h"
#include "quillard/concatenated.h"

namespace {

constexpr unsigned kStatisticsRefreshMs = 250;

const char* StatisticsMenuText(int language)
{
    return InLanguage(language, "循环统计(&S)...", "Loop Statistics(&S)...");
}

}  // namespace

void MainDialog::ApplyLoopToolTexts()
{
    if (m_logFile) m_logFile->SetEnglish(InEnglish());
    m_window->SetSystemMenuText(
        kLogFileCommand,
        m_logFile ? InLanguage(m_nLanguage, "停止记录到文件(&F)", "Stop Logging to File(&F)")
                  : InLanguage(m_nLanguage, "记录到文件(&F)...", "Log to File(&F)..."));
    m_window->SetSystemMenuText(kStatisticsCommand, StatisticsMenuText(m_nLanguage));
    if (m_statisticsWindow) {
        m_statisticsWindow->SetTitle(InLanguage(m_nLanguage, "循环统计", "Loop Statistics"));
        RefreshStatistics();
    }
}

void MainDialog::OnStatistics()
{
    if (!m_statisticsWindow) {
        m_statisticsWindow = CreateStatisticsWindow(*m_window);
        ApplyLoopToolTexts();
    }
    RefreshStatistics();
    m_statisticsWindow->Show();
}

void MainDialog::RefreshStatistics()
{
    if (!m_statisticsWindow) return;
    m_statisticsWindow->SetText(
        StatisticsText(m_statistics, InEnglish(), std::chrono::system_clock::now()));
}

void MainDialog::OnTimer(int id)
{
    if (id == kStatisticsTimer && m_statisticsWindow && m_statisticsWindow->IsVisible())
        RefreshStatistics();
}

void MainDialog::StartLoopStatistics(const std::vector<int>& rowNumbers)
{
    m_statistics.Start(rowNumbers, std::chrono::system_clock::now());
    m_bCountingLoop = true;
    RefreshStatistics();
    m_window->StartTimer(kStatisticsTimer, kStatisticsRefreshMs);
}

// The worker's side: each pass's transactions, with the pass, go to the
// window thread behind the pass's log lines.
void MainDialog::RunCountedLoop()
{
    std::vector<LoopSample> pass;
    std::size_t row = 0;
    bool passBegan = false;
    const auto handOver = [this, &pass, &passBegan] {
        if (!passBegan) return;
        m_calls.Post([this, samples = std::move(pass)] { AddLoopSamples(samples, true); });
        pass.clear();
        passBegan = false;
    };
    RunLoopPasses(
        m_engine, m_loopRows,
        [&] {
            handOver();
            if (!GetLooping()) return false;
            passBegan = true;
            row = 0;
            return true;
        },
        [&](int) {
            pass.push_back({row++, m_engine.LastTransaction()});
            NotePortPresence();
            return true;
        },
        [this] { return GetLooping(); });
    handOver();
}

void MainDialog::AddLoopSamples(const std::vector<LoopSample>& samples, bool passBegan)
{
    if (passBegan) m_statistics.AddPass();
    for (const LoopSample& sample : samples)
        m_statistics.Add(sample);
}

// The worker has ended and everything it handed over is counted.
void MainDialog::EndLoopStatistics()
{
    if (!m_bCountingLoop) return;
    m_bCountingLoop = false;
    const auto now = std::chrono::system_clock::now();
    m_statistics.Stop(now);
    m_window->StopTimer(kStatisticsTimer);
    RefreshStatistics();
    if (m_logFile && !m_logFile->Failed())
        m_logFile->AppendBlock(
            Concatenated({"\n", StatisticsText(m_statistics, InEnglish(), now), "\n"}));
}
