// Every text of the window and the About box, in both languages, shows whole
// in its control at the template's size with the window's font.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTest>
#include <cmath>

#include "about_dialog.h"
#include "control_texts_shown.h"
#include "language_texts.h"
#include "started_window.h"

namespace {

QString WithoutMnemonic(QString text)
{
    return text.remove(QLatin1Char('&'));
}

// Where the ink of `text` lands when drawn into `area` with `alignment`, in
// the control's coordinates.
QRect InkRect(const QWidget& control, const QRect& area, Qt::Alignment alignment,
              const QString& text)
{
    const QFontMetrics metrics(control.font());
    const QRect item = control.style()->itemTextRect(metrics, area, int(alignment), true, text);
    return metrics.tightBoundingRect(text).translated(item.left(), item.top() + metrics.ascent());
}

// Where what differs from `background` lies in `image`.
QRect InkRect(const QImage& image, QRgb background)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) ink |= QRect(x, y, 1, 1);
    return ink;
}

// Whether a static text shows all of its glyphs: the ink it paints in the
// control is all the ink the text has, drawn alone with room around it. At a
// display scale whose pixels do not fall on the control's, a glyph's edge may
// be drawn a pixel smaller in the control than alone; a glyph that is cut
// reaches the control's edge.
QString StaticTextMisfit(QLabel& label, const QString& text)
{
    label.setText(text);
    const QRgb background = label.palette().color(QPalette::Window).rgb();
    const QImage control = label.grab().toImage();
    const QRect shownInk = InkRect(control, background);
    const QFontMetrics metrics(label.font());
    const qreal scale = label.devicePixelRatioF();
    QPixmap alone(QSize(metrics.horizontalAdvance(text) + 40, metrics.height() + 40) * scale);
    alone.setDevicePixelRatio(scale);
    alone.fill(label.palette().color(QPalette::Window));
    {
        QPainter painter(&alone);
        painter.setFont(label.font());
        painter.setPen(label.palette().color(label.foregroundRole()));
        painter.drawText(20, 20 + metrics.ascent(), text);
    }
    const QSize shown = shownInk.size();
    const QSize whole = InkRect(alone.toImage(), background).size();
    const int phase = scale == std::floor(scale) ? 0 : 1;
    const bool cutAcross = shown.width() < whole.width() &&
                           (shown.width() + phase < whole.width() || shownInk.left() == 0 ||
                            shownInk.right() == control.width() - 1);
    const bool cutDown = shown.height() < whole.height() &&
                         (shown.height() + phase < whole.height() || shownInk.top() == 0 ||
                          shownInk.bottom() == control.height() - 1);
    return !cutAcross && !cutDown ? QString()
                                  : QStringLiteral("shows %1×%2 of %3×%4")
                                        .arg(shown.width())
                                        .arg(shown.height())
                                        .arg(whole.width())
                                        .arg(whole.height());
}

// The first reason `text` does not show whole in `control`, or an empty text.
QString Misfit(QWidget& control, const QString& shown)
{
    const QString text = WithoutMnemonic(shown);
    const QFontMetrics metrics(control.font());
    const int advance = metrics.horizontalAdvance(text);
    QRect area;
    Qt::Alignment alignment = Qt::AlignCenter;
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        if (!label->pixmap().isNull()) {
            const QSize icon = label->pixmap().deviceIndependentSize().toSize();
            return icon.width() <= label->width() && icon.height() <= label->height()
                       ? QString()
                       : QStringLiteral("icon of %1×%2").arg(icon.width()).arg(icon.height());
        }
        const QString before = label->text();
        const QString misfit = StaticTextMisfit(*label, text);
        label->setText(before);
        return misfit;
    } else if (auto* button = qobject_cast<QPushButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    } else if (auto* check = qobject_cast<QAbstractButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = text;
        const auto element = qobject_cast<QRadioButton*>(check) ? QStyle::SE_RadioButtonContents
                                                                : QStyle::SE_CheckBoxContents;
        area = check->style()->subElementRect(element, &option, check);
        alignment = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (auto* group = qobject_cast<QGroupBox*>(&control)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = text;
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, group);
        return title.right() < group->width() && title.width() >= advance
                   ? QString()
                   : QStringLiteral("title needs %1 px").arg(advance);
    } else if (auto* combo = qobject_cast<QComboBox*>(&control)) {
        area = combo->lineEdit()->rect().adjusted(2, 0, -2, 0);  // the edit's text margins
        alignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    if (advance > area.width())
        return QStringLiteral("%1 px wide in %2").arg(advance).arg(area.width());
    const QRect ink = InkRect(control, area, alignment, text);
    if (!control.rect().contains(ink))
        return QStringLiteral("ink %1,%2 %3×%4 outside %5×%6")
            .arg(ink.x())
            .arg(ink.y())
            .arg(ink.width())
            .arg(ink.height())
            .arg(control.width())
            .arg(control.height());
    return {};
}

QStringList OtherTexts(int id)
{
    QStringList texts;
    for (const char* text : OtherTextsOf(id))
        texts << QString::fromUtf8(text);
    return texts;
}

}  // namespace

class TextFitTests : public QObject {
    Q_OBJECT

private slots:
    void everyTextShowsWhole()
    {
        StartedWindow window;
        QtDialogWindow& view = View(*window.dialog);
        QStringList misfits;
        auto check = [&misfits](QWidget& control, int id, const QString& text) {
            const QString misfit = Misfit(control, text);
            if (!misfit.isEmpty())
                misfits << QStringLiteral("%1 \"%2\": %3").arg(id).arg(text, misfit);
        };
        for (const DialogItem& item : MainDialogTemplate().controls) {
            QWidget& control = *view.GetDlgItem(item.id);
            QStringList texts = OtherTexts(item.id);
            if (item.id < 1063 || item.id > 1086) texts << QString::fromUtf8(item.text);
            for (const ControlTexts& language : LanguageControlTexts()) {
                if (language.id != item.id) continue;
                texts << QString::fromUtf8(language.chinese) << QString::fromUtf8(language.english);
            }
            for (const QString& text : texts) {
                if (text.isEmpty() || item.kind == ControlKind::kTabControl) continue;
                check(control, item.id, text);
            }
        }
        // the reader names of the sample settings
        for (const char* name : {"Reader A", "Reader B", "Reader C"})
            check(*view.GetDlgItem(1063), 1063, QString::fromUtf8(name));

        AboutDialog about;
        for (QWidget* control : about.findChildren<QWidget*>()) {
            if (auto* label = qobject_cast<QLabel*>(control))
                check(*label, kNoId, label->pixmap().isNull() ? label->text() : QString("icon"));
            else if (auto* button = qobject_cast<QPushButton*>(control))
                check(*button, 1, button->text());
        }
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
    }
};

int RunTextFitTests(int argc, char** argv)
{
    TextFitTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "text_fit_tests.moc"
