// The console's main window: template 102 with its ten send rows, the traffic
// log and the handlers behind every control. The handlers are written once,
// against the dialog operations of DialogWindow; the toolkit's window behind
// them only shows the controls and reports what the user does.
#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>

#include "dialog_window.h"
#include "hollet/CxComm.h"
#include "hollet/CxHid.h"
#include "quillard/dynamic_library.h"
#include "quillard/log_file.h"
#include "quillard/loop_pass.h"
#include "quillard/loop_statistics.h"
#include "quillard/presence_notices.h"
#include "quillard/settings.h"
#include "quillard/transaction.h"
#include "quillard/window_thread_calls.h"
#include "statistics_window.h"

class LogView;

class MainDialog : public DialogHandler, private TransactionSink {
public:
    static constexpr int kRows = 10;
    // Row k (0-based here, 1 to 10 on screen) is made of these controls.
    static constexpr int AddressId(int row) { return 1016 + row; }
    static constexpr int CommandId(int row) { return 1026 + row; }
    static constexpr int TimeoutId(int row) { return 1036 + row; }
    static constexpr int SendId(int row) { return 1003 + row; }
    static constexpr int LoopCheckId(int row) { return 1046 + row; }

    using WindowFactory = std::function<std::unique_ptr<DialogWindow>(
        const DialogTemplate& dialogTemplate, DialogHandler& handler)>;
    explicit MainDialog(const WindowFactory& makeWindow = CreateDialogWindow);
    ~MainDialog() override;
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // Runs the start-up, then the window modally until it is closed.
    int DoModal();
    // Runs the start-up and shows the window without a modal loop of its own.
    void Create();

    DialogWindow& Window() { return *m_window; }

    // Takes the control values into the members (true) or puts the members
    // into the controls (false). Taking stops at the first value that fails
    // its check, after a message and with the focus on that edit.
    bool UpdateData(bool saveAndValidate = true);
    // How far a data exchange towards the members got.
    enum class ExchangeOutcome {
        kTaken,             // every value
        kRowValueFailed,    // a row's time-out failed: no row value after it was taken
        kOtherValueFailed,  // the rows' values were taken; a later one failed
    };
    ExchangeOutcome TakeValues();

    // What the window reports.
    void OnCommand(int id) override;
    void OnNotify(int id, DialogNotification notification) override;
    void OnSysCommand(int command) override;
    bool PreTranslateKeyDown(int focusId, DialogKey key) override;
    std::optional<RgbColour> ControlColour(int id) override;
    void OnWake() override;
    void OnEndSession(bool ending) override;

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
    void LimitAddrEdits(std::size_t characters);
    // Copies the ten rows' texts into `entry` (true) or out of it (false).
    void ExchangeRows(ProtocolEntry* entry, bool toEntry);
    void SaveHistory(ProtocolEntry* entry);
    // Stops the loop, then saves the current protocol's rows and history and
    // the language; once.
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
    // The worker's lines that have reached the window thread go into the log
    // in one append: a log control that draws slowly (a themed edit) then
    // draws once for them all, and the window keeps up with the worker.
    void FlushLogBatch();
    void ClearLog();
    LogView& Log();

    // The window's menu entries beside the calculator and Clear: writing the
    // traffic log to a file, and the loop statistics window.
    static constexpr int kLogFileCommand = 32800;
    static constexpr int kStatisticsCommand = 32801;
    static constexpr int kStatisticsTimer = 1;
    // Starts writing the log to a file the user picks, or stops it.
    void OnLogFile();
    bool LoggingToFile() const { return m_logFile != nullptr; }
    void OnStatistics();
    const LoopStatistics& Statistics() const { return m_statistics; }
    StatisticsWindow* StatisticsView() { return m_statisticsWindow.get(); }
    void OnTimer(int id) override;
    // Test seam: the file name as if picked in the file picker (none: cancelled).
    using FileNameChooser = std::function<std::optional<std::string>(const std::string& suggested)>;
    void SetFileNameChooser(FileNameChooser chooser) { m_fileNameChooser = std::move(chooser); }

    // Every message box of the window goes through here: modal, OK only, no
    // icon, captioned with the program's name. Tests may take the messages.
    void MessageBox(const std::string& text);
    using MessageHandler = std::function<void(const std::string& text)>;
    void SetMessageHandler(MessageHandler handler) { m_messageHandler = std::move(handler); }

    TransactionEngine& Engine() { return m_engine; }
    CxComm& Comm() { return m_comm; }
    CxHid& Hid() { return m_hid; }

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

private:
    void ShowMessage(const std::string& text) override;
    bool OnInitDialog();
    void OnOK();
    void OnCancel();
    void EndDialog(int result);
    void PutValues();
    void TakeRowTexts();
    void TakeLoopChecks();
    // Shows the rows down to `row` (as "+" would), so that the focus can reach it.
    void ShowRowsDownTo(int row);
    bool OnWindowThread() const { return std::this_thread::get_id() == m_windowThreadId; }
    void SetCaption(int id, const char* chinese, const char* english);
    bool SwitchLoopOff();
    void StopLoopForClose();
    void EndLoopWorkerForClose();
    void SaveForClose();
    bool ClosePortStoppingLoop(CxBasePort& port);
    void SetOpenPort(CxBasePort* port, int openButton, std::span<const int> locked);
    void JoinLoopWorker();
    void StartWorker(std::function<void()> job);
    void EnableComOpenButton(bool enable);
    bool CheckRow(int row);
    void OnWorkerWoken();
    bool InEnglish() const { return m_nLanguage == 1; }
    // The log file and the statistics.
    void LogToFile(std::chrono::system_clock::time_point stamp, std::string line);
    // The worker's, after each transaction: a change of the port's device
    // (gone, back, another one at its name) goes to the log file.
    void NotePortPresence();
    void StopLogFile();
    void EndFailedLogFile();
    std::string LogFileHeaderBlock();
    void ApplyLoopToolTexts();
    void StartLoopStatistics(const std::vector<int>& rowNumbers);
    void RunCountedLoop();
    void AddLoopSamples(const std::vector<LoopSample>& samples, bool passBegan);
    void EndLoopStatistics();
    void RefreshStatistics();

    CxComm m_comm;
    CxHid m_hid;
    TransactionEngine m_engine{*this};

    std::unique_ptr<DialogWindow> m_window;
    std::unordered_map<int, std::function<void()>> m_commands;
    MessageHandler m_messageHandler;
    // The loop: the flag under its lock; the worker and what it sends.
    std::mutex m_loopLock;
    bool m_bLooping = false;
    std::thread m_hLoopThread;
    std::thread::id m_dwLoopThreadId;
    std::atomic<bool> m_bWorkerEnded{true};
    // The worker ends by itself (a loop stopped, or a Send), still running; the
    // send controls come back when it has ended.
    bool m_bStopping = false;
    std::vector<LoopRow> m_loopRows;  // what the worker sends: the rows as it started
    const std::thread::id m_windowThreadId = std::this_thread::get_id();
    WindowThreadCalls m_calls{[this] { m_window->Wake(); }, [this] { FlushLogBatch(); }};
    std::vector<std::string> m_logBatch;  // the window thread's own
    static constexpr std::size_t kMostLinesPerAppend = 500;

    // The bound values (in binding order) that the last exchange towards the
    // members did not reach; putting the members back leaves those controls alone.
    std::bitset<4 * kRows + 2> m_untaken;

    bool m_bQuitRequested = false;
    bool m_bDestroyed = false;
    bool m_bQuiet = false;  // the session is ending: no message box is shown
    // A message box of the worker's is open, and the worker waits for it.
    bool m_bWorkerBoxOpen = false;
    // The settings and history files have been read: until then the members
    // hold no one's settings, and nothing is saved over the files.
    bool m_bSettingsRead = false;

    // The log file, and the statistics of the last loop (the window thread's
    // own; the worker hands its transactions over a pass at a time). Both go
    // before the window does.
    LoopStatistics m_statistics;
    bool m_bCountingLoop = false;  // a loop's worker is counted until it is joined
    std::unique_ptr<StatisticsWindow> m_statisticsWindow;
    std::unique_ptr<LogFileWriter> m_logFile;
    // The transactions' own (whichever thread runs them, one at a time);
    // reset when a port opens.
    PresenceNotices m_presenceNotices;
    FileNameChooser m_fileNameChooser;
};
