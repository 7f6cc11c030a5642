// Command entry: the Send handlers, the row parser and the traffic log.
#include "main_dialog.h"
#include "quillard/row_parser.h"
#include "quillard/traffic_log.h"

bool MainDialog::ParseRow(int row)
{
    if (!UpdateData(true)) return false;
    std::string prepared;
    const RowParseResult result =
        ParseRowTexts(m_strAddr[row], m_strCmd[row], m_nAddrLen, m_bHexMode, prepared);
    if (result != RowParseResult::kOk) {
        MessageBox(RowParseMessage(result, m_nAddrLen, m_nLanguage));
        const int faulty =
            FaultyField(result) == RowField::kAddress ? AddressId(row) : CommandId(row);
        m_window->SetFocus(faulty);
        return false;
    }
    m_strSendText[row] = std::move(prepared);
    return true;
}

// A Send whose values cannot all be taken sends nothing: the row's texts may
// not have been taken yet.
void MainDialog::OnSend(int row)
{
    if (LoopWorkerAlive()) return;  // the worker owns the port until it has ended
    if (!UpdateData(true)) return;
    m_strSendText[row].clear();
    if (!ParseRow(row)) return;
    const std::string& text = m_strSendText[row];
    m_engine.Transact(text.data(), static_cast<int>(text.size()), m_nRowTimeout[row]);
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

// The worker's lines are appended in order by the window thread; the worker
// goes on meanwhile, and waits only when the window falls far behind.
void MainDialog::AppendLog(const std::string& line)
{
    if (OnWindowThread())
        ::AppendLog(Log(), line);
    else
        m_calls.Post([this, line] { ::AppendLog(Log(), line); });
}

void MainDialog::ClearLog()
{
    ::ClearLog(Log());
}
