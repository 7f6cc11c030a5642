// What the user meets in the first hour: the Enter key outside the rows, which
// port button takes clicks when, a bad character time-out, a bad time-out edit
// at a loop start or a tab change, messages about hidden rows, the context
// menu's About entry, and a Send that waits for its reply.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "simulated_hid.h"
#include "started_window.h"

namespace {

void CheckRow(MainDialog& dialog, int row, const QString& command)
{
    View(dialog).Item<QLineEdit>(MainDialog::CommandId(row))->setText(command);
    View(dialog).Item<QCheckBox>(MainDialog::LoopCheckId(row))->setChecked(true);
}

bool Enabled(MainDialog& dialog, int id)
{
    return View(dialog).GetDlgItem(id)->isEnabled();
}

// The widget that takes the keys of control `id`.
QWidget* KeyTarget(MainDialog& dialog, int id)
{
    QWidget* control = View(dialog).GetDlgItem(id);
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->lineEdit();
    return control;
}

}  // namespace

class WindowFaultTests : public QObject {
    Q_OBJECT

private slots:
    // Only the row edits' Enter does anything; elsewhere it is the dialog's
    // OK command, which does nothing, and a focused push button takes it.
    void enterOutsideTheRowsOpensAndSendsNothing_data()
    {
        QTest::addColumn<int>("id");
        for (int id : {1058, 1060, 1087, 1088, 1046, 1055, 1097, 1098, 1061, 1000})
            QTest::addRow("%d", id) << id;
    }
    void enterOutsideTheRowsOpensAndSendsNothing()
    {
        QFETCH(int, id);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        View(dialog).Item<QComboBox>(1058)->setEditText(QStringLiteral("COM200"));
        window.Edit(1026)->setText(QStringLiteral("01"));
        QTest::keyClick(KeyTarget(dialog, id), Qt::Key_Return);
        QTest::keyClick(KeyTarget(dialog, id), Qt::Key_Enter, Qt::KeypadModifier);
        QApplication::processEvents();
        QVERIFY(!dialog.Comm().IsOpen());
        QVERIFY(!dialog.Hid().IsOpen());
        QVERIFY(window.reader->Requests().empty());
        QVERIFY(window.messages.isEmpty());
        QVERIFY(View(dialog).isVisible());
        QCOMPARE(window.LogText(), QString());
    }

    void enterOnAFocusedButtonClicksIt()
    {
        StartedWindow window;
        QTest::keyClick(View(*window.dialog).GetDlgItem(1091), Qt::Key_Return);
        QCOMPARE(window.LogText(), QStringLiteral("No Find Vemra HID Device!\n"));
        QVERIFY(!window.dialog->Comm().IsOpen());
    }

    // Nothing opens both ports: the COM button stays off while the HID reader
    // is open, however a loop on the reader ends.
    void aLoopOnTheHidReaderNeverFreesTheComButton_data()
    {
        QTest::addColumn<bool>("closeReader");
        QTest::newRow("loop stopped with its button") << false;
        QTest::newRow("reader closed under the loop") << true;
    }
    void aLoopOnTheHidReaderNeverFreesTheComButton()
    {
        QFETCH(bool, closeReader);
        SimulatedHid hid;
        hid.AddReader();
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        dialog.OnCommand(1091);
        dialog.OnCommand(1062);
        QVERIFY(dialog.Hid().IsOpen());
        CheckRow(dialog, 0, QStringLiteral("01"));
        dialog.OnCommand(1014);
        QVERIFY(dialog.GetLooping());
        QVERIFY(!Enabled(dialog, 1015));
        if (closeReader) {
            dialog.OnCommand(1062);
            QVERIFY(!dialog.Hid().IsOpen());
            QVERIFY(Enabled(dialog, 1015));  // no port open: either may open
        } else {
            dialog.OnCommand(1014);
            QVERIFY(WaitForWorker(dialog));
            QVERIFY(!Enabled(dialog, 1015));
            QVERIFY(Enabled(dialog, 1003));
        }
        QVERIFY(!dialog.GetLooping());
    }

    // A refused value at the open (the character time-out, or a row's
    // time-out before it, so that the typed character time-out is never
    // taken): the port keeps the character time-out it had, the locked edit
    // shows that one, and Sends go through.
    void aBadValueAtTheOpenShowsTheCharacterTimeoutInForce_data()
    {
        QTest::addColumn<int>("badEdit");
        QTest::addColumn<QString>("badText");
        QTest::addColumn<QString>("charTimeout");
        QTest::newRow("character time-out") << 1087 << "0"
                                            << "0";
        QTest::newRow("row 2's time-out") << 1037 << "x"
                                          << "50";
    }
    void aBadValueAtTheOpenShowsTheCharacterTimeoutInForce()
    {
        QFETCH(int, badEdit);
        QFETCH(QString, badText);
        QFETCH(QString, charTimeout);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        window.Edit(1087)->setText(charTimeout);
        window.Edit(badEdit)->setText(badText);
        QVERIFY(window.OpenReaderPort());
        QCOMPARE(window.messages.size(), 1);
        QCOMPARE(window.Edit(1087)->text(), QStringLiteral("30"));
        QCOMPARE(dialog.Engine().GetCharTimeout(), 30ul);
        QVERIFY(!Enabled(dialog, 1087));
        window.messages.clear();
        window.Edit(1037)->setText(QStringLiteral("200"));
        window.Edit(1026)->setText(QStringLiteral("01"));
        dialog.OnCommand(1003);
        QVERIFY(WaitForWorker(dialog));
        QVERIFY(window.messages.isEmpty());
        QVERIFY2(window.LogText().contains(QStringLiteral("  IN│ SUCCESS│")),
                 qPrintable(window.LogText()));
    }

    // While a stopped loop winds down, closing the port ends the reply it awaits.
    void theComButtonEndsAWindDown()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        window.reader->SetDelay(std::chrono::milliseconds(3000), std::chrono::milliseconds(3000));
        QVERIFY(window.OpenReaderPort());
        CheckRow(dialog, 0, QStringLiteral("01"));
        window.Edit(1036)->setText(QStringLiteral("10000"));
        dialog.OnCommand(1014);
        QTRY_VERIFY(!window.reader->Requests().empty());
        dialog.OnCommand(1014);
        QVERIFY(dialog.LoopWorkerAlive());  // awaiting the slow reply
        QVERIFY(Enabled(dialog, 1015));
        QElapsedTimer closing;
        closing.start();
        QTest::mouseClick(View(dialog).GetDlgItem(1015), Qt::LeftButton);
        QVERIFY(!dialog.LoopWorkerAlive());
        QVERIFY(closing.elapsed() < 2500);  // well before the reply would have come
        QVERIFY(!dialog.Comm().IsOpen());
        QVERIFY(Enabled(dialog, 1003) && Enabled(dialog, 1014));
    }

    // A bad time-out edit at a loop start: one message, and the check boxes
    // count as the user sees them.
    void aBadTimeoutAtALoopStartIsToldOnce()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        QVERIFY(window.OpenReaderPort());
        CheckRow(dialog, 4, QStringLiteral("01"));
        window.Edit(1037)->setText(QStringLiteral("x"));
        dialog.OnCommand(1014);
        QCOMPARE(window.messages, QStringList{"Please enter a positive integer."});
        QVERIFY(!dialog.GetLooping());
        QCOMPARE(View(dialog).focusWidget(), View(dialog).GetDlgItem(1037));
    }

    // A tab change whose exchange fails keeps what the user sees in every
    // field it did not take; the rows are the new protocol's.
    void aBadTimeoutAtATabChangeKeepsTheOtherFields()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        window.Edit(1026)->setText(QStringLiteral("0A"));
        window.Edit(1040)->setText(QStringLiteral("x"));
        window.Edit(1042)->setText(QStringLiteral("777"));
        window.Edit(1087)->setText(QStringLiteral("45"));
        View(dialog).Item<QCheckBox>(1048)->setChecked(true);
        View(dialog).Item<QTabWidget>(1061)->setCurrentIndex(1);
        QCOMPARE(window.messages, QStringList{"Please enter a positive integer."});
        QCOMPARE(window.Edit(1040)->text(), QStringLiteral("x"));
        QCOMPARE(window.Edit(1042)->text(), QStringLiteral("777"));
        QCOMPARE(window.Edit(1087)->text(), QStringLiteral("45"));
        QVERIFY(View(dialog).Item<QCheckBox>(1048)->isChecked());
        QCOMPARE(window.Edit(1026)->text(), QString());  // the other protocol's row
        QVERIFY(window.folder.Read(kHistoryFileName).find("CMD0=0A") != std::string::npos);
    }

    // A message about a hidden row first shows the rows down to it, then
    // moves the focus there.
    void aMessageAboutAHiddenRowShowsIt_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("badTimeout");
        QTest::addColumn<int>("focus");
        QTest::newRow("checked row 6 with an empty command") << 5 << false << 1031;
        QTest::newRow("row 9's time-out not a number") << 8 << true << 1044;
    }
    void aMessageAboutAHiddenRowShowsIt()
    {
        QFETCH(int, row);
        QFETCH(bool, badTimeout);
        QFETCH(int, focus);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        QVERIFY(window.OpenReaderPort());
        View(dialog).activateWindow();
        while (dialog.m_nRowCount > 3)
            dialog.OnRemoveRow();
        CheckRow(dialog, 0, QStringLiteral("01"));
        if (badTimeout)
            window.Edit(MainDialog::TimeoutId(row))->setText(QStringLiteral("-"));
        else
            CheckRow(dialog, row, QString());
        dialog.OnCommand(1014);
        QCOMPARE(window.messages.size(), 1);
        QVERIFY(!dialog.GetLooping());
        QCOMPARE(dialog.m_nRowCount, row + 1);
        QVERIFY(View(dialog).GetDlgItem(focus)->isVisible());
        QCOMPARE(View(dialog).focusWidget(), View(dialog).GetDlgItem(focus));
        QVERIFY(Enabled(dialog, 1013) && Enabled(dialog, 1001));
    }

    // The About entry of the window's context menu opens the About box.
    void theContextMenuOpensTheAboutBox()
    {
        StartedWindow window;
        QString seen;
        QTimer::singleShot(0, [&seen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* action : menu->actions())
                seen += action->text() + QLatin1Char('|');
            QTimer::singleShot(0, [] {
                if (auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    about->reject();
            });
            menu->actions().front()->trigger();
            menu->close();
        });
        QtDialogWindow& view = View(*window.dialog);
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 500),
                                view.mapToGlobal(QPoint(5, 500)));
        QApplication::sendEvent(&view, &click);
        QCOMPARE(seen, QStringLiteral("关于 Vemra_Test(&A)...||计算器(&C)|清空列表(&D)|"
                                      "记录到文件(&F)...|循环统计(&S)...|"));
    }

    // A Send awaits its reply with the window answering: the OUT line stands
    // in the log at once, no second transaction starts, and closing the port
    // ends the wait.
    void aSendWaitsWithTheWindowAnswering_data()
    {
        QTest::addColumn<bool>("closePort");
        QTest::newRow("reply awaited") << false;
        QTest::newRow("port closed during the wait") << true;
    }
    void aSendWaitsWithTheWindowAnswering()
    {
        QFETCH(bool, closePort);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        window.reader->SetDelay(std::chrono::milliseconds(800), std::chrono::milliseconds(800));
        QVERIFY(window.OpenReaderPort());
        window.Edit(1026)->setText(QStringLiteral("01"));
        window.Edit(1036)->setText(QStringLiteral("5000"));
        dialog.OnCommand(1003);
        QTRY_VERIFY(window.LogText().startsWith(QStringLiteral(" OUT│ SUCCESS│")));
        QVERIFY(!window.LogText().contains(QStringLiteral("  IN│")));
        QVERIFY(dialog.LoopWorkerAlive());
        QVERIFY(!Enabled(dialog, 1003) && !Enabled(dialog, 1014) && !Enabled(dialog, 1061));
        QVERIFY(Enabled(dialog, 1015));
        QTest::keyClick(window.Edit(1026), Qt::Key_Return);  // a second Send is not taken
        QApplication::processEvents();                       // (the posted click arrives)
        dialog.OnCommand(1004);
        if (closePort) {
            dialog.OnCommand(1015);
            QVERIFY(!dialog.LoopWorkerAlive());
            QVERIFY(window.LogText().contains(QStringLiteral("  IN│ NO DATA│")));
        } else {
            QVERIFY(WaitForWorker(dialog));
            QVERIFY(window.LogText().contains(QStringLiteral("  IN│ SUCCESS│")));
        }
        QApplication::processEvents();
        QCOMPARE(window.reader->Requests().size(), std::size_t{1});
        QCOMPARE(window.LogText().count(QStringLiteral(" OUT│")), 1);
        QVERIFY(Enabled(dialog, 1003) && Enabled(dialog, 1014) && Enabled(dialog, 1061));
        QVERIFY(window.messages.isEmpty());
    }
};

int RunWindowFaultTests(int argc, char** argv)
{
    WindowFaultTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "window_faults_tests.moc"
