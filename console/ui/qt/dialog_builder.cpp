#include "dialog_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "hex_edit.h"
#include "program_icon.h"
#include "static_text.h"

namespace {

constexpr const char* kIdProperty = "controlId";

// Edits and combo boxes keep the height of a 14-unit edit, whatever their
// template height (a combo box's is the height of its dropped list).
constexpr int kFieldHeightDu = 14;

QWidget* MakeWidget(const DialogItem& item, QWidget& parent)
{
    const QString text = QString::fromUtf8(item.text);
    switch (item.kind) {
        case ControlKind::kGroupBox: return new QGroupBox(text, &parent);
        case ControlKind::kLabel:
        case ControlKind::kLabelRight:
        case ControlKind::kLabelCentered:
        case ControlKind::kLabelNoPrefix: {
            const Qt::Alignment horizontal = item.kind == ControlKind::kLabelRight ? Qt::AlignRight
                                             : item.kind == ControlKind::kLabelCentered
                                                 ? Qt::AlignHCenter
                                                 : Qt::AlignLeft;
            return new StaticText(text, horizontal, &parent);
        }
        case ControlKind::kIcon: {
            auto* label = new QLabel(&parent);
            // as large as the template's place for it lets the icon be
            const QRect place = TemplateRectToPixels(item);
            const int side = std::min(place.width(), place.height());
            label->setPixmap(ProgramIcon().pixmap(side, side));
            return label;
        }
        case ControlKind::kComboDropDown: {
            auto* combo = new QComboBox(&parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            const int rowsInDroppedList = (DialogUnitsToPixelsY(item.h) - 2) / 18;
            combo->setMaxVisibleItems(qMax(1, rowsInDroppedList));
            return combo;
        }
        case ControlKind::kEdit: return new QLineEdit(text, &parent);
        case ControlKind::kHexEdit: return new HexEdit(&parent);
        case ControlKind::kLogEdit: {
            auto* log = new QPlainTextEdit(&parent);
            log->setLineWrapMode(QPlainTextEdit::NoWrap);
            log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            return log;
        }
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton:
        case ControlKind::kFlatPushButton: {
            // No button is the dialog's default: Enter outside a button is the
            // dialog's OK command, whatever has the focus.
            auto* button = new QPushButton(text, &parent);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::kRadioButton: return new QRadioButton(text, &parent);
        case ControlKind::kCheckBox: return new QCheckBox(text, &parent);
        case ControlKind::kTabControl: {
            auto* tabs = new QTabWidget(&parent);
            tabs->setUsesScrollButtons(true);
            return tabs;
        }
    }
    return new QWidget(&parent);
}

bool IsFramingControl(ControlKind kind)
{
    return kind == ControlKind::kGroupBox || kind == ControlKind::kTabControl;
}

Qt::FocusPolicy FocusPolicyFor(const DialogItem& item)
{
    if (item.style & kTabStop) return Qt::StrongFocus;
    switch (item.kind) {
        case ControlKind::kRadioButton:
        case ControlKind::kTabControl: return Qt::ClickFocus;
        default: return Qt::NoFocus;
    }
}

}  // namespace

QRect TemplateRectToPixels(const DialogItem& item)
{
    const int left = DialogUnitsToPixelsX(item.x);
    const int top = DialogUnitsToPixelsY(item.y);
    const int right = DialogUnitsToPixelsX(item.x + item.w);
    const int height = item.kind == ControlKind::kComboDropDown ? kFieldHeightDu : item.h;
    const int bottom = DialogUnitsToPixelsY(item.y + height);
    return QRect(left, top, right - left, bottom - top);
}

QString AccessibleNameFor(const DialogItem& item)
{
    struct RowRole {
        int firstId;
        const char* role;
    };
    static constexpr RowRole kRowRoles[] = {
        {1016, "Address"}, {1026, "Command"}, {1036, "Time-out"}, {1003, "Send"}, {1046, "Loop"}};
    for (const RowRole& row : kRowRoles) {
        if (item.id >= row.firstId && item.id < row.firstId + 10)
            return QStringLiteral("%1 %2").arg(row.role).arg(item.id - row.firstId + 1);
    }
    switch (item.id) {
        case 1058: return QStringLiteral("COM port");
        case 1060: return QStringLiteral("Line setting");
        case 1087: return QStringLiteral("Character time-out");
        case 1088: return QStringLiteral("HID readers");
        case 1061: return QStringLiteral("Protocols");
        case 1000: return QStringLiteral("Traffic log");
        default: break;
    }
    if (item.id >= 1063 && item.id <= 1086)
        return QStringLiteral("Reader name %1").arg(item.id - 1062);
    if (item.kind == ControlKind::kIcon) return QStringLiteral("Program icon");
    // Controls with a text: their visible text, which follows the language.
    return {};
}

int ControlId(const QWidget& control)
{
    const QVariant id = control.property(kIdProperty);
    return id.isValid() ? id.toInt() : kNoId;
}

void DialogControls::Create(QWidget& window, const DialogTemplate& dialogTemplate)
{
    QWidget* previousTabStop = nullptr;
    std::vector<QWidget*> frames;
    for (const DialogItem& item : dialogTemplate.controls) {
        QWidget* control = MakeWidget(item, window);
        control->setProperty(kIdProperty, item.id);
        control->setObjectName(item.id == kNoId ? QString() : QString::number(item.id));
        control->setGeometry(TemplateRectToPixels(item));
        control->setFocusPolicy(FocusPolicyFor(item));
        control->setAccessibleName(AccessibleNameFor(item));
        control->setVisible(!(item.style & kHidden));
        if (item.style & kTabStop) {
            if (previousTabStop) QWidget::setTabOrder(previousTabStop, control);
            previousTabStop = control;
        }
        if (item.id != kNoId) m_byId.insert(item.id, control);
        if (IsFramingControl(item.kind)) frames.push_back(control);
        m_controls.push_back(control);
    }
    // Frames lie under what they frame, so that they never take its clicks; the
    // first frame of the template ends up lowest.
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame)
        (*frame)->lower();
}
