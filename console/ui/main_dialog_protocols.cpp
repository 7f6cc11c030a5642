// Protocols: the settings and history files, one tab per protocol, and the
// plug-in of the current one.
#include "main_dialog.h"
#include "quillard/app_files.h"
#include "quillard/protocol_library.h"
#include "quillard/row_parser.h"

namespace {

constexpr int kFirstReaderLabel = 1063;
constexpr int kReaderLabels = 24;

}  // namespace

void MainDialog::LoadSettings()
{
    LoadedSettings loaded = LoadSettingsFiles(LocateAppFile(kSettingsFileName).read,
                                              LocateAppFile(kHistoryFileName).read);
    m_nLanguage = loaded.language;
    m_protocols = std::move(loaded.protocols);
    if (loaded.fatal) {
        MessageBox(kSettingsError);
        RequestQuit();
    }
}

void MainDialog::InitProtocolTabs()
{
    for (const auto& entry : m_protocols)
        m_window->InsertTab(1061, entry->szProtocolName);
}

void MainDialog::OnSelchangeProtocolTab()
{
    const int k = m_window->GetCurTab(1061);
    if (m_pCurProtocol) {
        ExchangeRows(m_pCurProtocol, true);
        SaveHistory(m_pCurProtocol);
    }
    if (k < 0 || k >= static_cast<int>(m_protocols.size())) {
        m_pCurProtocol = nullptr;
        return;
    }
    ProtocolEntry& entry = *m_protocols[static_cast<std::size_t>(k)];
    m_pCurProtocol = &entry;
    ShowDevNames(entry.szDevNames);
    ExchangeRows(&entry, false);
    EnableAddrEdits(entry.nAddrLen != 0);
    LimitAddrEdits(AddressCharacters(entry.nAddrLen));
    SetHexMode(entry.bHexMode != 0);
    m_nAddrLen = entry.nAddrLen;

    if (m_hProtocolLib) FreeProtocolLib(m_hProtocolLib);
    const ProtocolLoadReport report{[this](const std::string& message) { MessageBox(message); },
                                    [this] { RequestQuit(); }};
    if (!LoadProtocolLib(m_hProtocolLib, entry.szDllName, report)) {
        MessageBox(LoadFailedMessage(entry.szDllName));
        RequestQuit();
    }
    m_engine.SetProtocolApi(LoadedProtocolApi());
}

void MainDialog::ShowDevNames(const std::vector<std::string>& names)
{
    for (int n = 0; n < kReaderLabels; ++n) {
        const bool named = n < static_cast<int>(names.size());
        m_window->SetItemText(kFirstReaderLabel + n,
                              named ? names[static_cast<std::size_t>(n)] : std::string());
    }
}

void MainDialog::EnableAddrEdits(bool enable)
{
    for (int row = 0; row < kRows; ++row)
        m_window->EnableItem(AddressId(row), enable);
}

void MainDialog::LimitAddrEdits(std::size_t characters)
{
    for (int row = 0; row < kRows; ++row)
        m_window->LimitText(AddressId(row), characters);
}

void MainDialog::ExchangeRows(ProtocolEntry* entry, bool toEntry)
{
    if (!entry) return;
    if (toEntry) {
        // A time-out edit that fails the exchange cannot keep typed rows from
        // being saved.
        UpdateData(true);
        TakeRowTexts();
        entry->szAddr = m_strAddr;
        entry->szCmd = m_strCmd;
    } else {
        m_strAddr = entry->szAddr;
        m_strCmd = entry->szCmd;
        UpdateData(false);
    }
}

void MainDialog::SaveHistory(ProtocolEntry* entry)
{
    if (entry) SaveHistoryFile(LocateAppFile(kHistoryFileName), *entry);
}

void MainDialog::DestroyWindow()
{
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    EndLoopWorkerForClose();  // before anything it uses can go away
    SaveForClose();
}

// What the close saves: the current protocol's rows and history, the language;
// nothing while a message at start-up is shown before the files are read.
void MainDialog::SaveForClose()
{
    if (!m_bSettingsRead) return;
    ExchangeRows(m_pCurProtocol, true);
    SaveHistory(m_pCurProtocol);
    SaveLanguage(LocateAppFile(kSettingsFileName), m_nLanguage);
}
