#include "main_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "about_dialog.h"
#include "log_edit_view.h"
#include "platform_shell.h"
#include "program_icon.h"
#include "quillard/protocol_library.h"
#include "window_fonts.h"

namespace {

constexpr const char* kProgramName = "Quillard";
constexpr const char* kWindowTitle = "Quillard -->https://github.com/quillard/quillard";
constexpr const char* kAboutMenuText = "关于 Vemra_Test(&A)...";

// The line settings the baud box offers from the start, each exactly as written.
constexpr const char* kLineSettings[] = {
    "4800,  n,8,1", "4800,  e,8,1", "9600,  n,8,1", "9600,  e,8,1", "19200, n,8,1", "19200, e,8,1",
    "38400, n,8,1", "38400, e,8,1", "57600, n,8,1", "57600, e,8,1", "115200,n,8,1", "115200,e,8,1",
};

constexpr int kAboutCommand = 32776;
constexpr int kCalculatorCommand = 32772;
constexpr int kClearLogCommand = 32777;
constexpr int kSysCommandAbout = 16;

}  // namespace

MainDialog::MainDialog(QWidget* parent) : QDialog(parent), m_hIcon(ProgramIcon())
{
    m_waker = std::make_unique<WindowWaker>([this] { OnWorkerWoken(); });
    m_nRowTimeout.fill(200);

    const DialogTemplate& main = MainDialogTemplate();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    setFixedSize(DialogUnitsToPixelsX(main.w), DialogUnitsToPixelsY(main.h));
    m_controls.Create(*this, main);

    auto* lineSettings = Item<QComboBox>(1060);
    for (const char* setting : kLineSettings)
        lineSettings->addItem(QString::fromUtf8(setting));
    lineSettings->setCurrentIndex(-1);

    auto* log = Item<QPlainTextEdit>(1000);
    log->setFont(LogFont());
    m_log = std::make_unique<LogEditView>(*log);

    for (int row = 0; row < kRows; ++row) {
        m_commands[SendId(row)] = [this, row] { OnSend(row); };
        for (int id : {AddressId(row), CommandId(row), TimeoutId(row)})
            GetDlgItem(id)->installEventFilter(this);
    }
    m_commands[1] = [this] { OnOK(); };
    m_commands[2] = [this] { OnCancel(); };
    m_commands[1001] = [this] { OnAddRow(); };
    m_commands[1013] = [this] { OnRemoveRow(); };
    m_commands[1002] = [] {};
    m_commands[1089] = [this] { ClearLog(); };
    m_commands[kClearLogCommand] = [this] { ClearLog(); };
    m_commands[kAboutCommand] = [this] { OnAbout(); };
    m_commands[kCalculatorCommand] = [] { StartCalculator(); };
    m_commands[1097] = [this] { OnLanguageRadio(); };
    m_commands[1014] = [this] { OnLoopSend(); };
    m_commands[1015] = [this] { OnComOpen(); };
    m_commands[1091] = [this] { OnHidSearch(); };
    m_commands[1062] = [this] { OnHidOpen(); };
    connect(Item<QComboBox>(1058)->lineEdit(), &QLineEdit::textEdited, this,
            [this] { OnEditchangeComList(); });
    m_commands[1098] = [this] { OnLanguageRadio(); };
    connect(Item<QTabWidget>(1061), &QTabWidget::currentChanged, this,
            [this] { OnSelchangeProtocolTab(); });

    for (QWidget* control : m_controls.All()) {
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (button && !qobject_cast<QCheckBox*>(control)) {
            const int id = ControlId(*button);
            connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        }
    }
    ApplyRowColours();
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
    const int outcome = exec();
    DestroyWindow();  // when a quit request ended the loop
    return outcome;
}

void MainDialog::Create()
{
    OnInitDialog();
    show();
}

bool MainDialog::OnInitDialog()
{
    UpdateData(false);

    InstallWindowMenu(*this, QString::fromUtf8(kAboutMenuText),
                      {{0, {}},
                       {kCalculatorCommand, QStringLiteral("计算器(&C)")},
                       {kClearLogCommand, QStringLiteral("清空列表(&D)")}},
                      [this](int command) {
                          if (command == kSysCommandAbout)
                              OnSysCommand(command);
                          else
                              OnCommand(command);
                      });

    SetWindowRect(QRect(10, 10, 1040, 590));
    setWindowIcon(m_hIcon);

    FillComList();
    GetDlgItem(1001)->setEnabled(false);
    GetDlgItem(1002)->hide();
    LayoutRows(kRows);

    setWindowTitle(QString::fromUtf8(kWindowTitle));

    LoadSettings();
    InitProtocolTabs();
    {
        // Selecting the first tab tells no one; the handler is called directly.
        const QSignalBlocker quiet(Item<QTabWidget>(1061));
        Item<QTabWidget>(1061)->setCurrentIndex(0);
    }
    OnSelchangeProtocolTab();

    m_log->SetLimit(kLogLimit);
    ApplyLanguage(m_nLanguage);
    return true;
}

// Places the window's frame, as far as the window system has told its size.
void MainDialog::SetWindowRect(const QRect& frame)
{
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    move(frame.topLeft());
    setFixedSize(frame.size() - frameExtra);  // no sizing border
}

void MainDialog::OnCommand(int id)
{
    const auto handler = m_commands.find(id);
    if (handler != m_commands.end()) handler->second();
}

void MainDialog::OnSysCommand(int id)
{
    if ((id & 0xFFF0) == kSysCommandAbout) OnAbout();
}

void MainDialog::OnAbout()
{
    AboutDialog about(this);
    about.exec();
}

void MainDialog::accept()
{
    OnOK();
}

void MainDialog::reject()
{
    OnCancel();
}

// The dialog's OK command never closes the window.
void MainDialog::OnOK() {}

void MainDialog::OnCancel()
{
    QDialog::reject();
}

// However the window closes, the rows, history and language are saved first.
void MainDialog::done(int result)
{
    DestroyWindow();
    QDialog::done(result);
}

void MainDialog::RequestQuit()
{
    if (m_bQuitRequested) return;
    m_bQuitRequested = true;
    QTimer::singleShot(0, this, [this] { QuitWhenNothingIsOnTop(); });
}

// A message box shown after the request is still read before the window goes.
void MainDialog::QuitWhenNothingIsOnTop()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        QTimer::singleShot(50, this, [this] { QuitWhenNothingIsOnTop(); });
        return;
    }
    done(QDialog::Rejected);
}

void MainDialog::MessageBox(const QString& text)
{
    if (m_messageHandler) {
        m_messageHandler(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramName), text, QMessageBox::Ok,
                    this);
    box.exec();
}

void MainDialog::ShowMessage(const std::string& text)
{
    if (OnWindowThread()) {
        MessageBox(QString::fromStdString(text));
        return;
    }
    // A worker winding down after a stop has nothing left to tell the user.
    if (!GetLooping()) return;
    m_calls.RunOnWindowThread([&] { MessageBox(QString::fromStdString(text)); });
}

// Enter in a row's address, command or time-out edit is a click on the row's
// Send button, posted so that it runs after the key has been handled.
bool MainDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int id = watched->isWidgetType() ? ControlId(*static_cast<QWidget*>(watched)) : kNoId;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && id >= AddressId(0) &&
            id <= TimeoutId(kRows - 1)) {
            PostSendClick(SendId((id - AddressId(0)) % kRows));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::PostSendClick(int sendId)
{
    QTimer::singleShot(0, this, [this, sendId] {
        // A click reaches a Send button only while it takes clicks.
        if (GetDlgItem(sendId)->isEnabled()) OnCommand(sendId);
    });
}
