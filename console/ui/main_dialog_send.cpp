// Command entry: the Send handlers, the row parser and the traffic log.
#include <QLineEdit>

#include "hex_edit.h"
#include "log_edit_view.h"
#include "main_dialog.h"
#include "quillard/row_parser.h"

bool MainDialog::ParseRow(int row)
{
    if (!UpdateData(true)) return false;
    std::string prepared;
    const RowParseResult result =
        ParseRowTexts(m_strAddr[row], m_strCmd[row], m_nAddrLen, m_bHexMode, prepared);
    if (result != RowParseResult::kOk) {
        MessageBox(QString::fromStdString(RowParseMessage(result, m_nAddrLen, m_nLanguage)));
        const int faulty =
            FaultyField(result) == RowField::kAddress ? AddressId(row) : CommandId(row);
        GetDlgItem(faulty)->setFocus();
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
        Item<HexEdit>(CommandId(row))->SetFilter(on);
    m_bHexMode = on;
}

// The worker's lines are appended in order by the window thread; the worker
// goes on meanwhile, and waits only when the window falls far behind.
void MainDialog::AppendLog(const std::string& line)
{
    if (OnWindowThread())
        ::AppendLog(*m_log, line);
    else
        m_calls.Post([this, line] { ::AppendLog(*m_log, line); });
}

void MainDialog::ClearLog()
{
    ::ClearLog(*m_log);
}
