#include "qt_dialog_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTimer>

#include "about_dialog.h"
#include "desktop.h"
#include "hex_edit.h"
#include "log_edit_view.h"
#include "program_icon.h"
#include "session_end.h"
#include "window_fonts.h"
#include "window_waker.h"

namespace {

constexpr const char* kProgramName = "Quillard";

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The ID of the control that `widget` is or lies in (a combo box's edit).
int IdOfControl(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        const int id = ControlId(*widget);
        if (id != kNoId) return id;
    }
    return kNoId;
}

// Room for the list's frame, item margins and a scroll bar beside an entry's text.
constexpr int kListTextMargin = 40;

QString EntryWithDetail(const QString& text, const QString& detail)
{
    return detail.isEmpty() ? text : QStringLiteral("%1  (%2)").arg(text, detail);
}

// A combo box's dropped list shows each entry's detail beside its text; the
// edit shows the text alone.
class EntryDetailDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = EntryWithDetail(option->text, index.data(Qt::UserRole).toString());
    }
};

}  // namespace

std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                 DialogHandler& handler)
{
    return std::make_unique<QtDialogWindow>(dialogTemplate, handler);
}

QtDialogWindow::QtDialogWindow(const DialogTemplate& dialogTemplate, DialogHandler& handler)
    : m_handler(handler)
{
    m_waker = std::make_unique<WindowWaker>([this] { m_handler.OnWake(); });
    m_sessionEnd = std::make_unique<SessionEndWatcher>([this] { EndSession(); },
                                                       [this] { m_handler.OnEndSession(false); });
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    setWindowTitle(FromUtf8(dialogTemplate.title));
    setFixedSize(DialogUnitsToPixelsX(dialogTemplate.w), DialogUnitsToPixelsY(dialogTemplate.h));
    m_controls.Create(*this, dialogTemplate);

    for (QWidget* control : m_controls.All()) {
        const int id = ControlId(*control);
        control->installEventFilter(this);
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, id] { m_handler.OnCommand(id); });
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->setItemDelegate(new EntryDetailDelegate(combo));
            combo->lineEdit()->installEventFilter(this);
            connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                    [this, id] { m_handler.OnNotify(id, DialogNotification::kEditChanged); });
        } else if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
            connect(tabs, &QTabWidget::currentChanged, this, [this, id] {
                m_handler.OnNotify(id, DialogNotification::kTabSelectionChanged);
            });
        } else if (auto* log = qobject_cast<QPlainTextEdit*>(control)) {
            log->setFont(LogFont());
            if (!m_log) m_log = std::make_unique<LogEditView>(*log);
        }
    }
}

QtDialogWindow::~QtDialogWindow() = default;

void QtDialogWindow::SetTitle(std::string_view text)
{
    setWindowTitle(FromUtf8(text));
}

void QtDialogWindow::SetProgramIcon()
{
    setWindowIcon(ProgramIcon());
}

PixelRect QtDialogWindow::GetWindowRect() const
{
    const QRect frame = frameGeometry();
    return {frame.x(), frame.y(), frame.width(), frame.height()};
}

// Places the window's frame, as far as the window system has told its size.
void QtDialogWindow::MoveWindow(const PixelRect& frame)
{
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    move(frame.x, frame.y);
    setFixedSize(QSize(frame.w, frame.h) - frameExtra);  // no sizing border
}

void QtDialogWindow::AppendSystemMenu(const std::vector<MenuEntry>& entries)
{
    if (m_menuEntries.empty())
        InstallWindowMenu(
            *this, [this] { return m_menuEntries; },
            [this](int command) { m_handler.OnSysCommand(command); });
    m_menuEntries.insert(m_menuEntries.end(), entries.begin(), entries.end());
}

void QtDialogWindow::SetSystemMenuText(int command, std::string_view text)
{
    for (MenuEntry& entry : m_menuEntries)
        if (entry.command == command && !entry.text.empty()) entry.text = text;
}

// The picker starts in the user's documents folder.
std::optional<std::string> QtDialogWindow::GetSaveFileName(std::string_view caption,
                                                           std::string_view suggestedName)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString chosen = QFileDialog::getSaveFileName(
        this, FromUtf8(caption), QDir(folder).filePath(FromUtf8(suggestedName)));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

void QtDialogWindow::StartTimer(int id, unsigned milliseconds)
{
    auto& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        connect(timer.get(), &QTimer::timeout, this, [this, id] { m_handler.OnTimer(id); });
    }
    timer->start(static_cast<int>(milliseconds));
}

void QtDialogWindow::StopTimer(int id)
{
    if (const auto timer = m_timers.find(id); timer != m_timers.end()) timer->second->stop();
}

std::string QtDialogWindow::GetItemText(int id) const
{
    QWidget* control = GetDlgItem(id);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        text = edit->text();
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        text = combo->currentText();
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        text = button->text();
    else if (auto* label = qobject_cast<QLabel*>(control))
        text = label->text();
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        text = group->title();
    else if (auto* log = qobject_cast<QPlainTextEdit*>(control))
        text = log->toPlainText();
    return text.toStdString();
}

void QtDialogWindow::SetItemText(int id, std::string_view utf8)
{
    QWidget* control = GetDlgItem(id);
    const QString text = FromUtf8(utf8);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setEditText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else if (auto* log = qobject_cast<QPlainTextEdit*>(control))
        log->setPlainText(text);
}

void QtDialogWindow::EnableItem(int id, bool enable)
{
    if (QWidget* control = GetDlgItem(id)) control->setEnabled(enable);
}

bool QtDialogWindow::IsItemEnabled(int id) const
{
    const QWidget* control = GetDlgItem(id);
    return control && control->isEnabled();
}

void QtDialogWindow::ShowItem(int id, bool show)
{
    if (QWidget* control = GetDlgItem(id)) control->setVisible(show);
}

// Visible as a child of the window, also while the window itself is not shown.
bool QtDialogWindow::IsItemVisible(int id) const
{
    const QWidget* control = GetDlgItem(id);
    return control && !control->isHidden();
}

PixelRect QtDialogWindow::GetItemRect(int id) const
{
    const QRect rect = GetDlgItem(id)->geometry();
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

void QtDialogWindow::MoveItem(int id, const PixelRect& rect)
{
    GetDlgItem(id)->setGeometry(rect.x, rect.y, rect.w, rect.h);
}

void QtDialogWindow::SetFocus(int id)
{
    if (QWidget* control = GetDlgItem(id)) control->setFocus();
}

void QtDialogWindow::SelectAllText(int id)
{
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id))) edit->selectAll();
}

int QtDialogWindow::GetFocusId() const
{
    return IdOfControl(focusWidget());
}

bool QtDialogWindow::IsChecked(int id) const
{
    const auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return button && button->isChecked();
}

void QtDialogWindow::SetCheck(int id, bool checked)
{
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id))) button->setChecked(checked);
}

void QtDialogWindow::LimitText(int id, std::size_t characters)
{
    if (auto* hex = dynamic_cast<HexEdit*>(GetDlgItem(id)))
        hex->SetTypingLimit(static_cast<int>(std::min<std::size_t>(characters, INT_MAX)));
    else if (m_log && GetDlgItem(id) == &m_log->Edit())
        m_log->SetLimit(characters);
}

void QtDialogWindow::SetHexFilter(int id, bool on)
{
    if (auto* hex = dynamic_cast<HexEdit*>(GetDlgItem(id))) hex->SetFilter(on);
}

LogView& QtDialogWindow::LogOf(int)
{
    return *m_log;
}

void QtDialogWindow::ResetContent(int id)
{
    Item<QComboBox>(id)->clear();
}

void QtDialogWindow::AddString(int id, std::string_view text, std::string_view detail)
{
    auto* combo = Item<QComboBox>(id);
    combo->addItem(FromUtf8(text), FromUtf8(detail));
    const QString shown = EntryWithDetail(FromUtf8(text), FromUtf8(detail));
    // The dropped list is as wide as its widest entry needs, never narrower than the box.
    const int needed = combo->fontMetrics().horizontalAdvance(shown) + kListTextMargin;
    if (needed > combo->view()->minimumWidth()) combo->view()->setMinimumWidth(needed);
}

int QtDialogWindow::GetCount(int id) const
{
    return Item<QComboBox>(id)->count();
}

void QtDialogWindow::SetCurSel(int id, int index)
{
    Item<QComboBox>(id)->setCurrentIndex(index);
}

void QtDialogWindow::InsertTab(int id, std::string_view text)
{
    auto* tabs = Item<QTabWidget>(id);
    const QSignalBlocker quiet(tabs);
    auto* page = new QWidget(tabs);
    page->setAccessibleName(FromUtf8(text));
    tabs->addTab(page, FromUtf8(text));
}

int QtDialogWindow::GetCurTab(int id) const
{
    return Item<QTabWidget>(id)->currentIndex();
}

void QtDialogWindow::SetCurTab(int id, int index)
{
    auto* tabs = Item<QTabWidget>(id);
    const QSignalBlocker quiet(tabs);
    tabs->setCurrentIndex(index);
}

void QtDialogWindow::MessageBox(std::string_view text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramName), FromUtf8(text),
                    QMessageBox::Ok, this);
    box.exec();
}

void QtDialogWindow::ShowAboutBox()
{
    AboutDialog about(this);
    about.exec();
}

void QtDialogWindow::StartCalculator()
{
    ::StartCalculator();
}

void QtDialogWindow::PostCommand(int id)
{
    QTimer::singleShot(0, this, [this, id] { m_handler.OnCommand(id); });
}

// A dialog ended before its modal run (during its start-up) is not run.
int QtDialogWindow::RunModal()
{
    ApplyControlColours();
    if (m_bEnded) return result();
    return exec();
}

void QtDialogWindow::Show()
{
    ApplyControlColours();
    show();
}

void QtDialogWindow::EndDialog(int result)
{
    m_bEnded = true;
    QDialog::done(result);
}

void QtDialogWindow::EndSession()
{
    m_handler.OnEndSession(true);
    EndBoxesOnTop();
}

// No one is there to read them; each one ended lets the next one come on top.
void QtDialogWindow::EndBoxesOnTop()
{
    constexpr int kMaxBoxes = 32;
    for (int n = 0; n < kMaxBoxes; ++n) {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!box || box == this) return;
        box->done(QDialog::Rejected);
    }
}

void QtDialogWindow::PostQuit(std::function<void()> quit)
{
    QTimer::singleShot(0, this, [this, quit = std::move(quit)] { QuitWhenNothingIsOnTop(quit); });
}

// A message box shown after the request is still read before the window goes.
void QtDialogWindow::QuitWhenNothingIsOnTop(std::function<void()> quit)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        QTimer::singleShot(50, this,
                           [this, quit = std::move(quit)] { QuitWhenNothingIsOnTop(quit); });
        return;
    }
    quit();
}

void QtDialogWindow::Wake()
{
    m_waker->Wake();
}

void QtDialogWindow::accept()
{
    m_handler.OnCommand(1);
}

void QtDialogWindow::reject()
{
    m_handler.OnCommand(2);
}

bool QtDialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    auto* control = static_cast<QWidget*>(watched);
    if (m_handler.PreTranslateKeyDown(IdOfControl(control), DialogKey::kEnter)) return true;
    // As in a dialog of the platform: a push button with the focus takes Enter
    // as a click; anywhere else Enter is the dialog's OK command.
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->click();
        return true;
    }
    m_handler.OnCommand(1);
    return true;
}

// The handlers' colours are the controls' backgrounds while they are enabled;
// a disabled control keeps the style's own look.
void QtDialogWindow::ApplyControlColours()
{
    if (m_bColoured) return;
    m_bColoured = true;
    for (QWidget* control : m_controls.All()) {
        const auto colour = m_handler.ControlColour(ControlId(*control));
        if (!colour) continue;
        const QColor background(colour->r, colour->g, colour->b);
        QPalette palette = control->palette();
        palette.setColor(QPalette::Active, QPalette::Base, background);
        palette.setColor(QPalette::Inactive, QPalette::Base, background);
        control->setPalette(palette);
    }
}
