// The row edits take no character that has no GBK form, no more characters
// than their limit, and no line break, by any way in.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <memory>

#include "hex_edit.h"
#include "started_window.h"

namespace {

// ☃ and 😀 have no GBK form; 读, 卡 and é have.
const QString kOffered = QStringLiteral("读☃卡😀é");
const QString kKept = QStringLiteral("读卡é");

// One key press per character, as a keyboard types it.
void Type(HexEdit& edit, const QString& text, Qt::KeyboardModifiers modifiers)
{
    for (char32_t c : text.toUcs4()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, QString::fromUcs4(&c, 1));
        QApplication::sendEvent(&edit, &press);
    }
}

}  // namespace

class HexEditGbkTests : public QObject {
    Q_OBJECT

private slots:
    void noCharacterWithoutGbkFormGetsIn_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("filter");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("shown");
        const struct {
            const char* way;
            bool filter;
        } ways[] = {{"type", false},      {"control", true},      {"input method", false},
                    {"Control+V", false}, {"Shift+Insert", true}, {"menu", false},
                    {"drop", false},      {"middle", false}};
        for (const auto& way : ways) {
            QTest::addRow("%s: GBK", way.way) << way.way << way.filter << 0 << kOffered << kKept;
            // an address of two bytes: four characters at most, whatever the way
            QTest::addRow("%s: limit", way.way)
                << way.way << way.filter << 4 << QStringLiteral("0A1B2C3D") << "0A1B";
            // a whole line copied, or more than one: the first line alone
            // (typed keys break no line)
            const bool typed = QByteArray(way.way) == "type" || QByteArray(way.way) == "control";
            QTest::addRow("%s: lines", way.way)
                << way.way << way.filter << 0 << QStringLiteral("A0 B0\r\n[notes]\r\n")
                << (typed ? "A0 B0[notes]" : "A0 B0");
            QTest::addRow("%s: a line end", way.way)
                << way.way << way.filter << 0 << QStringLiteral("A0 B0\n") << "A0 B0";
        }
    }
    void noCharacterWithoutGbkFormGetsIn()
    {
        QFETCH(QString, way);
        QFETCH(bool, filter);
        QFETCH(int, limit);
        QFETCH(QString, offered);
        QFETCH(QString, shown);
        const QString& kOffered = offered;
        HexEdit edit;
        edit.SetFilter(filter);
        edit.SetTypingLimit(limit);
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->setText(kOffered);
        if (way == "type") {
            Type(edit, kOffered, Qt::NoModifier);
        } else if (way == "control") {
            QTest::keyPress(&edit, Qt::Key_Control);
            Type(edit, kOffered, Qt::NoModifier);
            QTest::keyRelease(&edit, Qt::Key_Control);
        } else if (way == "input method") {
            QInputMethodEvent composed;
            composed.setCommitString(kOffered);
            QApplication::sendEvent(&edit, &composed);
        } else if (way == "Control+V") {
            QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        } else if (way == "Shift+Insert") {
            QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
        } else if (way == "menu") {
            const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
            for (QAction* action : menu->actions()) {
                if (action->text().startsWith(QStringLiteral("&Paste"))) action->trigger();
            }
        } else if (way == "drop") {
            QMimeData data;
            data.setText(kOffered);
            QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(&edit, &enter);
            QDragMoveEvent move(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton,
                                Qt::NoModifier);
            QApplication::sendEvent(&edit, &move);
            QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&edit, &drop);
        } else if (way == "middle") {
            if (!clipboard->supportsSelection()) QSKIP("this system has no selection to paste");
            clipboard->setText(kOffered, QClipboard::Selection);
            QTest::mouseClick(&edit, Qt::MiddleButton);
        }
        QCOMPARE(edit.text(), shown);
    }

    // Text that the program puts in (from a history file) is shown whole.
    void textFromTheProgramIsShownWhole()
    {
        HexEdit edit;
        edit.SetTypingLimit(2);
        edit.setText(kOffered);
        QCOMPARE(edit.text(), kOffered);
        // and the user can take characters away, but add none beyond the limit
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, 'A');
        QCOMPARE(edit.text(), kOffered.chopped(1));  // é gone, no A
        QCOMPARE(KeepGbkText(kOffered), kKept);
    }
};

int RunHexEditGbkTests(int argc, char** argv)
{
    HexEditGbkTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "hex_edit_gbk_tests.moc"
