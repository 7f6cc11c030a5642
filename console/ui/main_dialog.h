// The console's main window: template 102 with its ten send rows, the traffic
// log and the handlers behind every control.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>

#include "dialog_builder.h"
#include "hollet/CxComm.h"
#include "hollet/CxHid.h"
#include "quillard/dynamic_library.h"
#include "quillard/settings.h"
#include "quillard/transaction.h"
#include "quillard/window_thread_calls.h"
#include "window_waker.h"

class HexEdit;
class LogEditView;
class QPlainTextEdit;

class MainDialog : public QDialog, private TransactionSink {
public:
    static constexpr int kRows = 10;
    // Row k (0-based here, 1 to 10 on screen) is made of these controls.
    static constexpr int AddressId(int row) { return 1016 + row; }
    static constexpr int CommandId(int row) { return 1026 + row; }
    static constexpr int TimeoutId(int row) { return 1036 + row; }
    static constexpr int SendId(int row) { return 1003 + row; }
    static constexpr int LoopCheckId(int row) { return 1046 + row; }

    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    // Runs the start-up, then the window modally until it is closed.
    int DoModal();
    // Runs the start-up and shows the window without a modal loop of its own.
    void Create();

    QWidget* GetDlgItem(int id) const { return m_controls.Find(id); }
    template <class Control>
    Control* Item(int id) const
    {
        return static_cast<Control*>(m_controls.Find(id));
    }

    // Takes the control values into the members (true) or puts the members
    // into the controls (false). Taking stops at the first value that fails
    // its check, after a message and with the focus on that edit.
    bool UpdateData(bool saveAndValidate = true);

    // Routes a command (a control's click or a menu entry) to its handler.
    void OnCommand(int id);
    void OnSysCommand(int id);

    // Checks row `row` and makes its prepared text; false after a message.
    bool ParseRow(int row);
    void OnSend(int row);
    void SetHexMode(bool on);

    // Writes the labels and buttons in one language (non-zero: English).
    void ApplyLanguage(int flag);
    void OnLanguageRadio();

    void LayoutRows(int n);
    void OnAddRow();
    void OnRemoveRow();

    // Protocols: the catalogue from the settings file, one tab each.
    void LoadSettings();
    void InitProtocolTabs();
    void OnSelchangeProtocolTab();
    void ShowDevNames(const std::vector<std::string>& names);
    void EnableAddrEdits(bool enable);
    void LimitAddrEdits(int characters);
    // Copies the ten rows' texts into `entry` (true) or out of it (false).
    void ExchangeRows(ProtocolEntry* entry, bool toEntry);
    void SaveHistory(ProtocolEntry* entry);
    // Saves the current protocol's rows and history and the language; once.
    void DestroyWindow();

    // Asks the program to end once the current handler and any message box
    // on top of the window are done.
    void RequestQuit();
    bool QuitRequested() const { return m_bQuitRequested; }

    // Ports: the COM port list, opening and closing the serial port and the
    // HID reader.
    void FillComList();
    void OnEditchangeComList();
    void OnComOpen();
    void OnHidSearch();
    void OnHidOpen();

    // Loop send: the checked rows, pass after pass, on a worker thread.
    bool GetLooping();
    void SetLooping(bool on);
    void OnLoopSend();
    void EnableSendControls(bool on);
    static int LoopThreadProc(MainDialog* window);
    void LoopPass();
    // A worker exists that has not been joined yet (it may be finishing a pass).
    bool LoopWorkerAlive() const { return m_hLoopThread.joinable(); }

    // Works on the window thread and on the loop worker: the worker's lines
    // are carried out on the window thread, and the worker waits for them.
    void AppendLog(const std::string& line) override;
    void ClearLog();
    LogEditView& Log() { return *m_log; }

    // Every message box of the window goes through here: modal, OK only, no
    // icon, captioned with the program's name. Tests may take the messages.
    void MessageBox(const QString& text);
    using MessageHandler = std::function<void(const QString& text)>;
    void SetMessageHandler(MessageHandler handler) { m_messageHandler = std::move(handler); }

    TransactionEngine& Engine() { return m_engine; }
    CxComm& Comm() { return m_comm; }
    CxHid& Hid() { return m_hid; }

    void accept() override;  // the dialog's OK command
    void reject() override;  // Escape, the close box
    void done(int result) override;

    // The values bound to the controls.
    std::array<unsigned, kRows> m_nRowTimeout;
    std::array<std::string, kRows> m_strCmd;
    std::array<std::string, kRows> m_strAddr;
    std::array<int, kRows> m_bLoopCheck{};
    unsigned m_nCharTimeout = TransactionEngine::kDefaultCharTimeout;
    int m_nLanguage = 0;

    int m_nRowCount = 1;  // rows the window's geometry is laid out for
    int m_nAddrLen = 0;
    bool m_bHexMode = true;
    std::array<std::string, kRows> m_strSendText;

    ProtocolCatalogue m_protocols;
    ProtocolEntry* m_pCurProtocol = nullptr;
    ModuleHandle m_hProtocolLib = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowMessage(const std::string& text) override;
    bool OnInitDialog();
    void OnOK();
    void OnCancel();
    void OnAbout();
    void SetWindowRect(const QRect& frame);
    void ApplyRowColours();
    void PostSendClick(int sendId);
    void TakeRowTexts();
    bool OnWindowThread() const { return std::this_thread::get_id() == m_windowThreadId; }
    void SetCaption(int id, const char* chinese, const char* english);
    bool SwitchLoopOff();
    void EndLoopWorkerForClose();
    bool ClosePortStoppingLoop(CxBasePort& port);
    void SetOpenPort(CxBasePort* port, int openButton, std::span<const int> locked);
    void JoinLoopWorker();
    void FinishStopWhenWorkerEnded();
    void OnWorkerWoken();
    void QuitWhenNothingIsOnTop();

    QIcon m_hIcon;
    CxComm m_comm;
    CxHid m_hid;
    TransactionEngine m_engine{*this};

    DialogControls m_controls;
    std::unique_ptr<LogEditView> m_log;
    std::unordered_map<int, std::function<void()>> m_commands;
    MessageHandler m_messageHandler;
    // The loop: the flag under its lock; the worker and what it sends.
    std::mutex m_loopLock;
    bool m_bLooping = false;
    std::thread m_hLoopThread;
    std::thread::id m_dwLoopThreadId;
    std::atomic<bool> m_bWorkerEnded{true};
    bool m_bStopping = false;  // stopped, the worker still finishing its pass
    struct LoopRow {
        std::string text;
        unsigned timeout;
    };
    std::vector<LoopRow> m_loopRows;  // the checked rows as the loop started
    const std::thread::id m_windowThreadId = std::this_thread::get_id();
    std::unique_ptr<WindowWaker> m_waker;
    WindowThreadCalls m_calls{[this] { m_waker->Wake(); }};

    bool m_bQuitRequested = false;
    bool m_bDestroyed = false;
};
