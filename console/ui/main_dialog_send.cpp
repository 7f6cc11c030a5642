// Command entry: the Send handlers, the row parser and the traffic log.
#include "main_dialog.h"
#include "quillard/row_parser.h"
#include "quillard/traffic_log.h"

bool MainDialog::ParseRow(int row)
{
    if (TakeValues() == ExchangeOutcome::kRowValueFailed) return false;
    return CheckRow(row);
}

// The row's texts as the last exchange took them, checked; on a refusal the
// row is shown and its faulty edit gets the focus.
bool MainDialog::CheckRow(int row)
{
    std::string prepared;
    const RowParseResult result =
        ParseRowTexts(m_strAddr[row], m_strCmd[row], m_nAddrLen, m_bHexMode, prepared);
    if (result != RowParseResult::kOk) {
        ShowRowsDownTo(row);
        MessageBox(RowParseMessage(result, m_nAddrLen, m_nLanguage));
        const int faulty =
            FaultyField(result) == RowField::kAddress ? AddressId(row) : CommandId(row);
        m_window->SetFocus(faulty);
        return false;
    }
    m_strSendText[row] = std::move(prepared);
    return true;
}

// The values are taken once: a row's own time-out that fails sends nothing,
// a later value that fails (the character time-out) leaves the row as taken.
// The reply is awaited on the worker, so that the window goes on answering;
// the send controls stay disabled until it has come, and closing the port or
// the window ends the wait.
void MainDialog::OnSend(int row)
{
    if (LoopWorkerAlive()) return;  // the worker owns the port until it has ended
    if (TakeValues() == ExchangeOutcome::kRowValueFailed) return;
    m_strSendText[row].clear();
    if (!CheckRow(row)) return;
    const LoopRow sent{m_strSendText[row], m_nRowTimeout[row]};
    CxBasePort* port = m_engine.GetCurrentPort();
    if (!port || !port->IsOpen() || !m_engine.GetProtocolApi().IsBound()) {
        // refused at once, with its message
        m_engine.Transact(sent.text.data(), static_cast<int>(sent.text.size()), sent.timeout);
        return;
    }
    m_loopRows = {sent};
    EnableSendControls(false);
    m_window->EnableItem(1014, false);
    EnableComOpenButton(true);
    m_bStopping = true;  // the worker ends with its one transaction
    StartWorker([this] {
        RunLoopPass(m_engine, m_loopRows, [this](int) {
            NotePortPresence();
            return true;
        });
    });
}

void MainDialog::SetHexMode(bool on)
{
    for (int row = 0; row < kRows; ++row)
        m_window->SetHexFilter(CommandId(row), on);
    m_bHexMode = on;
}

LogView& MainDialog::Log()
{
    return m_window->LogOf(1000);
}

void MainDialog::ClearLog()
{
    m_logBatch.clear();  // they came before the Clear
    ::ClearLog(Log());
}
