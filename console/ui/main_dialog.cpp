#include "main_dialog.h"

#include <utility>

#include "language_texts.h"
#include "quillard/protocol_library.h"
#include "quillard/traffic_log.h"

namespace {

constexpr const char* kWindowTitle = "Quillard -->https://github.com/quillard/quillard";
constexpr const char* kAboutMenuText = "关于 Vemra_Test(&A)...";

// The line settings the baud box offers from the start, each exactly as written.
constexpr const char* kLineSettings[] = {
    "4800,  n,8,1", "4800,  e,8,1", "9600,  n,8,1", "9600,  e,8,1", "19200, n,8,1", "19200, e,8,1",
    "38400, n,8,1", "38400, e,8,1", "57600, n,8,1", "57600, e,8,1", "115200,n,8,1", "115200,e,8,1",
};

constexpr int kOkCommand = 1;
constexpr int kCancelCommand = 2;
constexpr int kAboutCommand = 32776;
constexpr int kCalculatorCommand = 32772;
constexpr int kClearLogCommand = 32777;
constexpr int kSysCommandAbout = 16;

}  // namespace

MainDialog::MainDialog(const WindowFactory& makeWindow)
    : m_window(makeWindow(MainDialogTemplate(), *this))
{
    m_nRowTimeout.fill(200);

    for (const char* setting : kLineSettings)
        m_window->AddString(1060, setting);

    for (int row = 0; row < kRows; ++row)
        m_commands[SendId(row)] = [this, row] {
            // A posted Enter reaches a Send button only while it takes clicks.
            if (m_window->IsItemEnabled(SendId(row))) OnSend(row);
        };
    m_commands[kOkCommand] = [this] { OnOK(); };
    m_commands[kCancelCommand] = [this] { OnCancel(); };
    m_commands[1001] = [this] { OnAddRow(); };
    m_commands[1013] = [this] { OnRemoveRow(); };
    m_commands[1002] = [] {};
    m_commands[1089] = [this] { ClearLog(); };
    m_commands[kClearLogCommand] = [this] { ClearLog(); };
    m_commands[kAboutCommand] = [this] { m_window->ShowAboutBox(); };
    m_commands[kCalculatorCommand] = [this] { m_window->StartCalculator(); };
    m_commands[1097] = [this] { OnLanguageRadio(); };
    m_commands[1014] = [this] { OnLoopSend(); };
    m_commands[1015] = [this] { OnComOpen(); };
    m_commands[1091] = [this] { OnHidSearch(); };
    m_commands[1062] = [this] { OnHidOpen(); };
    m_commands[1098] = [this] { OnLanguageRadio(); };
    m_commands[kLogFileCommand] = [this] { OnLogFile(); };
    m_commands[kStatisticsCommand] = [this] { OnStatistics(); };
}

MainDialog::~MainDialog()
{
    EndLoopWorkerForClose();
    const bool hadProtocols = !m_protocols.empty();
    m_protocols.clear();
    m_pCurProtocol = nullptr;
    if (hadProtocols || m_hProtocolLib) FreeProtocolLib(m_hProtocolLib);
}

int MainDialog::DoModal()
{
    OnInitDialog();
    const int outcome = m_window->RunModal();
    DestroyWindow();  // when a quit request ended the loop
    return outcome;
}

void MainDialog::Create()
{
    OnInitDialog();
    m_window->Show();
}

bool MainDialog::OnInitDialog()
{
    UpdateData(false);

    m_window->AppendSystemMenu({{0, {}},
                                {kSysCommandAbout, kAboutMenuText},
                                {0, {}},
                                {kCalculatorCommand, "计算器(&C)"},
                                {kClearLogCommand, "清空列表(&D)"},
                                {kLogFileCommand, "记录到文件(&F)..."},
                                {kStatisticsCommand, "循环统计(&S)..."}});
    m_window->MoveWindow({10, 10, 1040, 590});
    m_window->SetProgramIcon();

    FillComList();
    m_window->EnableItem(1001, false);
    m_window->ShowItem(1002, false);
    LayoutRows(kRows);

    m_window->SetTitle(kWindowTitle);

    LoadSettings();
    m_bSettingsRead = true;
    InitProtocolTabs();
    m_window->SetCurTab(1061, 0);  // tells no one; the handler is called directly
    OnSelchangeProtocolTab();

    m_window->LimitText(1000, kLogLimit);
    ApplyLanguage(m_nLanguage);
    return true;
}

void MainDialog::OnCommand(int id)
{
    const auto handler = m_commands.find(id);
    if (handler != m_commands.end()) handler->second();
}

void MainDialog::OnNotify(int id, DialogNotification notification)
{
    if (id == 1061 && notification == DialogNotification::kTabSelectionChanged)
        OnSelchangeProtocolTab();
    else if (id == 1058 && notification == DialogNotification::kEditChanged)
        OnEditchangeComList();
}

// The desktop keeps the low four bits of a system command for itself.
void MainDialog::OnSysCommand(int command)
{
    if ((command & 0xFFF0) == kSysCommandAbout)
        m_window->ShowAboutBox();
    else
        OnCommand(command);
}

// Enter in a row's address, command or time-out edit is a click on the row's
// Send button, posted so that it runs after the key has been handled.
bool MainDialog::PreTranslateKeyDown(int focusId, DialogKey key)
{
    if (key != DialogKey::kEnter || focusId < AddressId(0) || focusId > TimeoutId(kRows - 1))
        return false;
    m_window->PostCommand(SendId((focusId - AddressId(0)) % kRows));
    return true;
}

// The dialog's OK command never closes the window.
void MainDialog::OnOK() {}

void MainDialog::OnCancel()
{
    EndDialog(kCancelCommand);
}

// However the window closes, the rows, history and language are saved first.
void MainDialog::EndDialog(int result)
{
    DestroyWindow();
    m_window->EndDialog(result);
}

// The session's end saves at once what the close saves, without a message box:
// no one may be there to answer it, and the saving would wait for it. As the
// close does, the loop is stopped and its port closed first. Then the worker
// is waited for and the log file closed with the loop's summary, since the
// program may be ended as soon as this returns (Windows does so); only a
// worker waiting for its own message box, open under this call, is left to
// the window's end: that box ends once this has returned.
void MainDialog::OnEndSession(bool ending)
{
    if (m_bDestroyed) return;
    const bool wasQuiet = std::exchange(m_bQuiet, true);
    if (!ending) {
        SaveForClose();
        m_bQuiet = wasQuiet;
        return;
    }
    m_bDestroyed = true;
    StopLoopForClose();
    SaveForClose();
    if (!m_bWorkerBoxOpen) JoinLoopWorker();
    StopLogFile();
    m_window->EndDialog(kCancelCommand);
}

void MainDialog::RequestQuit()
{
    if (m_bQuitRequested) return;
    m_bQuitRequested = true;
    m_window->PostQuit([this] { EndDialog(kCancelCommand); });
}

void MainDialog::MessageBox(const std::string& text)
{
    if (m_bQuiet) return;
    if (m_messageHandler)
        m_messageHandler(text);
    else
        m_window->MessageBox(text);
}

void MainDialog::ShowMessage(const std::string& text)
{
    if (OnWindowThread()) {
        MessageBox(text);
        return;
    }
    // A worker winding down after a stop has nothing left to tell the user.
    if (!GetLooping()) return;
    m_calls.RunOnWindowThread([&] {
        FlushLogBatch();  // the lines before the message, shown with it
        m_bWorkerBoxOpen = true;
        MessageBox(text);
        m_bWorkerBoxOpen = false;
    });
}

void MainDialog::OnWake()
{
    OnWorkerWoken();
    EndFailedLogFile();  // the file's writer tells of its failure this way
}
