// Loop send: the checked rows, pass after pass, on one worker thread.
//
// The worker never waits for the window thread while the window thread waits
// for it: its log lines go through WindowThreadCalls, which the window thread
// serves whenever it waits for the worker. After a stop, the controls that
// start a transaction stay disabled until the worker has finished its pass, so
// that no transaction of the window overlaps one of the worker. A Send runs its
// one transaction on the same worker.
#include "language_texts.h"
#include "main_dialog.h"
#include "quillard/log_texts.h"

namespace {

constexpr std::chrono::milliseconds kStartWait{10};
constexpr std::chrono::milliseconds kStopWait{100};
constexpr std::chrono::hours kUntilDone{24};

}  // namespace

bool MainDialog::GetLooping()
{
    std::lock_guard lock(m_loopLock);
    return m_bLooping;
}

void MainDialog::SetLooping(bool on)
{
    std::lock_guard lock(m_loopLock);
    m_bLooping = on;
}

// The values are taken once; the check boxes count as the user sees them,
// also when a time-out edit before them failed.
void MainDialog::OnLoopSend()
{
    const ExchangeOutcome taken = TakeValues();
    TakeLoopChecks();
    CxBasePort* port = m_engine.GetCurrentPort();
    if (!port || !port->IsOpen()) {
        MessageBox("The port is not open!");
        return;
    }
    if (!m_engine.GetProtocolApi().IsBound()) {
        MessageBox(log_texts::kProtocolLoadError);
        return;
    }
    if (std::none_of(m_bLoopCheck.begin(), m_bLoopCheck.end(), [](int on) { return on != 0; })) {
        MessageBox(
            InLanguage(m_nLanguage, "至少需要选中一条命令!", "At least need to select a command!"));
        return;
    }
    if (GetLooping()) {
        if (SwitchLoopOff()) {
            JoinLoopWorker();
            EnableSendControls(true);
        } else {
            // The worker finishes its pass; the window goes on meanwhile, and
            // closing the port ends a reply the worker still awaits.
            m_bStopping = true;
            m_window->EnableItem(1014, false);
            EnableComOpenButton(true);
        }
        return;
    }
    // A failed time-out has had its message and holds the focus.
    if (taken == ExchangeOutcome::kRowValueFailed) return;
    std::vector<LoopRow> rows;
    std::vector<int> rowNumbers;
    for (int row = 0; row < kRows; ++row) {
        if (!m_bLoopCheck[row]) continue;
        m_strSendText[row].clear();
        if (!CheckRow(row)) return;
        rows.push_back({m_strSendText[row], m_nRowTimeout[row]});
        rowNumbers.push_back(row + 1);
    }
    JoinLoopWorker();  // a worker that is still winding down never sees the new rows
    m_loopRows = std::move(rows);
    StartLoopStatistics(rowNumbers);
    EnableSendControls(false);
    SetLooping(true);
    StartWorker([this] { LoopThreadProc(this); });
    m_calls.WaitServing([] { return false; }, kStartWait);
    SetCaption(1014, "循环发送", "Loop Send");
}

int MainDialog::LoopThreadProc(MainDialog* window)
{
    if (!window) return 1;
    window->RunCountedLoop();
    return 0;
}

void MainDialog::LoopPass()
{
    RunLoopPass(m_engine, m_loopRows);
}

void MainDialog::StartWorker(std::function<void()> job)
{
    m_bWorkerEnded = false;
    m_hLoopThread = std::thread([this, job = std::move(job)] {
        job();
        m_bWorkerEnded = true;
        m_calls.Notify();
    });
    m_dwLoopThreadId = m_hLoopThread.get_id();
}

void MainDialog::EnableSendControls(bool on)
{
    EnableAddrEdits(on && m_pCurProtocol && m_pCurProtocol->nAddrLen != 0);
    EnableComOpenButton(on);
    m_window->EnableItem(1061, on);
    for (int row = 0; row < kRows; ++row) {
        for (int id : {CommandId(row), TimeoutId(row), SendId(row), LoopCheckId(row)})
            m_window->EnableItem(id, on);
    }
}

// Waits, serving the worker, until it has ended, and releases it.
void MainDialog::JoinLoopWorker()
{
    if (!m_hLoopThread.joinable()) return;
    m_calls.WaitServing([this] { return m_bWorkerEnded.load(); }, kUntilDone);
    m_hLoopThread.join();
    m_calls.RunPending();
    EndLoopStatistics();
    if (m_bStopping) {
        m_bStopping = false;
        EnableSendControls(true);
        m_window->EnableItem(1014, true);
    }
}

void MainDialog::OnWorkerWoken()
{
    m_calls.RunPending();
    if (m_bStopping && m_bWorkerEnded) JoinLoopWorker();
}

// Switches the loop off and gives the worker 100 ms to finish its pass, serving
// it meanwhile; the Loop Send button then reads as when no loop runs. True when
// the worker has ended.
bool MainDialog::SwitchLoopOff()
{
    SetLooping(false);
    const bool ended = m_calls.WaitServing([this] { return m_bWorkerEnded.load(); }, kStopWait);
    SetCaption(1014, "循环发送", "Loop Send");
    return ended;
}

// The loop off and its port closed, which ends a reply the worker may be
// waiting for; the worker may still be finishing.
void MainDialog::StopLoopForClose()
{
    if (!LoopWorkerAlive()) return;
    SetLooping(false);
    if (CxBasePort* port = m_engine.GetCurrentPort()) port->Close();
}

// Before the window goes: the loop stopped, the worker ended.
void MainDialog::EndLoopWorkerForClose()
{
    StopLoopForClose();
    JoinLoopWorker();
}
