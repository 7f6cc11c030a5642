// The main window under the offscreen platform: controls are found by their IDs.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "about_dialog.h"
#include "corvane_api.h"
#include "fake_port.h"
#include "hex_edit.h"
#include "log_edit_view.h"
#include "main_dialog.h"
#include "started_window.h"

namespace {

const char* ClassFor(ControlKind kind)
{
    switch (kind) {
        case ControlKind::kGroupBox: return "QGroupBox";
        case ControlKind::kLabel:
        case ControlKind::kLabelRight:
        case ControlKind::kLabelCentered:
        case ControlKind::kLabelNoPrefix:
        case ControlKind::kIcon: return "QLabel";
        case ControlKind::kComboDropDown: return "QComboBox";
        case ControlKind::kEdit: return "QLineEdit";
        case ControlKind::kHexEdit: return "QLineEdit";
        case ControlKind::kLogEdit: return "QPlainTextEdit";
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton:
        case ControlKind::kFlatPushButton: return "QPushButton";
        case ControlKind::kRadioButton: return "QRadioButton";
        case ControlKind::kCheckBox: return "QCheckBox";
        case ControlKind::kTabControl: return "QTabWidget";
    }
    return "";
}

QString VisibleText(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* group = qobject_cast<QGroupBox*>(control)) return group->title();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    return {};
}

}  // namespace

class MainDialogTests : public QObject {
    Q_OBJECT

private slots:
    // Each control of the template: made once, with its kind, text and place,
    // findable by ID and by an accessible name.
    void controlsMatchTheTemplate()
    {
        TestProgramFolder folder;
        MainDialog dialog;
        int count = 0;
        for (const DialogItem& item : MainDialogTemplate().controls) {
            QWidget* control = View(dialog).GetDlgItem(item.id);
            QVERIFY2(control, qPrintable(QString::number(item.id)));
            QVERIFY2(control->inherits(ClassFor(item.kind)), qPrintable(QString::number(item.id)));
            QCOMPARE(dynamic_cast<HexEdit*>(control) != nullptr,
                     item.kind == ControlKind::kHexEdit);
            if (item.kind != ControlKind::kComboDropDown && item.kind != ControlKind::kTabControl &&
                item.kind != ControlKind::kLogEdit)
                QCOMPARE(VisibleText(control), QString::fromUtf8(item.text));
            QCOMPARE(control->geometry(), TemplateRectToPixels(item));
            QVERIFY(
                !QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty());
            ++count;
        }
        QCOMPARE(count, 100);
        QCOMPARE(View(dialog).GetDlgItem(1016)->accessibleName(), QStringLiteral("Address 1"));
        QCOMPARE(View(dialog).GetDlgItem(1035)->accessibleName(), QStringLiteral("Command 10"));
        QCOMPARE(View(dialog).GetDlgItem(1042)->accessibleName(), QStringLiteral("Time-out 7"));
        QCOMPARE(View(dialog).GetDlgItem(1004)->accessibleName(), QStringLiteral("Send 2"));
        QCOMPARE(View(dialog).GetDlgItem(1055)->accessibleName(), QStringLiteral("Loop 10"));
        // Template rectangles: dialog units of a 6 × 12 pixel font.
        QCOMPARE(View(dialog).GetDlgItem(1000)->geometry(), QRect(233, 141, 769, 294));
        const QStringList lines = {"4800,  n,8,1", "4800,  e,8,1", "9600,  n,8,1", "9600,  e,8,1",
                                   "19200, n,8,1", "19200, e,8,1", "38400, n,8,1", "38400, e,8,1",
                                   "57600, n,8,1", "57600, e,8,1", "115200,n,8,1", "115200,e,8,1"};
        auto* baud = View(dialog).Item<QComboBox>(1060);
        QCOMPARE(baud->count(), lines.size());
        for (int i = 0; i < baud->count(); ++i)
            QCOMPARE(baud->itemText(i), lines[i]);
    }

    void tabOrderIsTheTemplateOrder()
    {
        StartedWindow window;
        const QList<int> expected = {1058, 1060, 1087, 1015, 1088, 1091, 1062,                    //
                                     1016, 1026, 1036, 1003, 1046, 1017, 1027, 1037, 1004, 1047,  //
                                     1018, 1028, 1038, 1005, 1048, 1019, 1029, 1039, 1006, 1049,  //
                                     1020, 1030, 1040, 1007, 1050, 1021, 1031, 1041, 1008, 1051,  //
                                     1023, 1032, 1042, 1009, 1052, 1024, 1033, 1043, 1010, 1053,  //
                                     1022, 1034, 1044, 1011, 1054, 1025, 1035, 1045, 1012, 1055,  //
                                     1002, 1001, 1013, 1014, 1089, 1000};
        QList<int> order;
        QWidget* at = View(*window.dialog).GetDlgItem(1058);
        do {
            if (at->focusPolicy() & Qt::TabFocus && at->property("controlId").isValid())
                order << at->property("controlId").toInt();
            at = at->nextInFocusChain();
        } while (at != View(*window.dialog).GetDlgItem(1058));
        QCOMPARE(order, expected);
        for (int id : {1097, 1098, 1061, 1092, 1059, 1063})
            QVERIFY(!(View(*window.dialog).GetDlgItem(id)->focusPolicy() & Qt::TabFocus));
    }

    void startUpState()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        QCOMPARE(View(dialog).pos(), QPoint(10, 10));
        QVERIFY(View(dialog).windowTitle().startsWith(QStringLiteral("Quillard -->")));
        QVERIFY(!View(dialog).windowIcon().isNull());
        const int pitch = View(dialog).GetDlgItem(1026)->height() + 4;
        QCOMPARE(pitch, 25);
        QCOMPARE(View(dialog).height(), 590 + 9 * pitch);
        QCOMPARE(View(dialog).width(), 1040);
        QCOMPARE(dialog.m_nRowCount, 10);
        for (int row = 0; row < MainDialog::kRows; ++row) {
            QVERIFY(View(dialog).GetDlgItem(MainDialog::SendId(row))->isVisible());
            QCOMPARE(View(dialog).GetDlgItem(MainDialog::CommandId(row))->y(), 467 + row * pitch);
            QCOMPARE(window.Edit(MainDialog::TimeoutId(row))->text(), QStringLiteral("200"));
        }
        QVERIFY(!View(dialog).GetDlgItem(1001)->isEnabled());
        QVERIFY(View(dialog).GetDlgItem(1013)->isEnabled());
        QVERIFY(View(dialog).GetDlgItem(1002)->isHidden());
        QCOMPARE(window.Edit(1087)->text(), QStringLiteral("30"));
        QVERIFY(View(dialog).Item<QRadioButton>(1097)->isChecked());
        QCOMPARE(static_cast<LogEditView&>(dialog.Log()).Limit(), std::size_t{640000});
        QVERIFY(window.messages.isEmpty());
    }

    void hexEditFilters_data()
    {
        QTest::addColumn<bool>("filter");
        QTest::addColumn<bool>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits, blanks, letters upper-cased") << true << false << "0a f9 B"
                                                             << "0A F9 B";
        QTest::newRow("g, x and punctuation dropped") << true << false << "g1x.,;-+2"
                                                      << "12";
        QTest::newRow("text mode keeps everything") << false << false << "abc xyz!"
                                                    << "abc xyz!";
        QTest::newRow("Control held lets text through") << true << true << "ag"
                                                        << "ag";
    }
    void hexEditFilters()
    {
        QFETCH(bool, filter);
        QFETCH(bool, control);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        HexEdit edit;
        edit.SetFilter(filter);
        if (control) QTest::keyPress(&edit, Qt::Key_Control);
        for (QChar c : typed)
            QTest::keyClick(&edit, c.toLatin1());
        if (control) QTest::keyRelease(&edit, Qt::Key_Control);
        QCOMPARE(edit.text(), shown);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), shown.chopped(1));
    }

    void pasteWithControlIsUnchanged()
    {
        HexEdit edit;
        QApplication::clipboard()->setText(QStringLiteral("a1-zz"));
        QTest::keyPress(&edit, Qt::Key_Control);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QTest::keyRelease(&edit, Qt::Key_Control);
        QCOMPARE(edit.text(), QStringLiteral("a1-zz"));
        QTest::keyClick(&edit, 'z');  // Control is up again: filtered
        QCOMPARE(edit.text(), QStringLiteral("a1-zz"));
    }

    // Rows refused before anything is sent: the message, in which language,
    // and where the focus goes; or the prepared text.
    void parseRow_data()
    {
        QTest::addColumn<int>("addrLen");
        QTest::addColumn<bool>("hexMode");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");  // 0 address, 1 command, -1 parsed
        QTest::addColumn<QString>("prepared");
        const QString addrCn = "地址长度为2个字节, 4个有效字符, 请检查输入!";
        const QString oddCn = "命令格式错误, 出现奇数个有效字符, 请检查输入!";
        const QString emptyCn = "命令不能为空, 请输入!";
        QTest::newRow("address and command joined") << 2 << true << 0 << "01 02"
                                                    << "A1 B2"
                                                    << "" << -1 << "0102A1B2";
        QTest::newRow("three address digits") << 2 << true << 0 << "010"
                                              << "A1" << addrCn << 0 << "";
        QTest::newRow("empty address") << 2 << true << 0 << ""
                                       << "A1" << addrCn << 0 << "";
        QTest::newRow("six address digits") << 2 << true << 0 << "010203"
                                            << "A1" << addrCn << 0 << "";
        QTest::newRow("address message in English")
            << 2 << true << 1 << "1"
            << "A1"
            << "Address length error, Need 2 bytes!" << 0 << "";
        QTest::newRow("address ignored without address length") << 0 << true << 0 << "XYZ"
                                                                << "A1"
                                                                << "" << -1 << "A1";
        QTest::newRow("odd count in hex mode") << 0 << true << 0 << ""
                                               << "ABC" << oddCn << 1 << "";
        QTest::newRow("odd count in English")
            << 0 << true << 1 << ""
            << "ABC"
            << "Command format fault, Appear odd valid characters, Please Check input!" << 1 << "";
        QTest::newRow("odd count accepted in text mode") << 0 << false << 0 << ""
                                                         << "ABC"
                                                         << "" << -1 << "ABC";
        QTest::newRow("blanks only, hex mode") << 0 << true << 0 << ""
                                               << "   " << emptyCn << 1 << "";
        QTest::newRow("blanks only, text mode")
            << 0 << false << 1 << ""
            << "  "
            << "Command cannot be empty, please input!" << 1 << "";
        QTest::newRow("address checked before empty command") << 2 << true << 0 << "0"
                                                              << "" << addrCn << 0 << "";
        QTest::newRow("4096 characters pass") << 1 << true << 0 << "01" << QString(4094, 'A') << ""
                                              << -1 << "01" + QString(4094, 'A');
        QTest::newRow("over 4096 characters refused")
            << 1 << true << 1 << "01" << QString(4096, 'A')
            << "Command too long: address and command together may hold at most 4096 characters, "
               "Please Check input!"
            << 1 << "";
        QTest::newRow("over 4096 refused in Chinese")
            << 0 << true << 0 << "" << QString(4098, 'A')
            << "命令过长, 地址和命令合计最多4096个有效字符, 请检查输入!" << 1 << "";
    }
    void parseRow()
    {
        QFETCH(int, addrLen);
        QFETCH(bool, hexMode);
        QFETCH(int, language);
        QFETCH(QString, address);
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(int, focus);
        QFETCH(QString, prepared);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        dialog.m_nAddrLen = addrLen;
        dialog.EnableAddrEdits(addrLen != 0);
        dialog.SetHexMode(hexMode);
        dialog.m_nLanguage = language;
        dialog.UpdateData(false);
        View(dialog).activateWindow();
        window.Edit(1018)->setText(address);
        window.Edit(1028)->setText(command);
        dialog.m_strSendText[2] = "old";

        const bool parsed = dialog.ParseRow(2);
        QCOMPARE(parsed, focus < 0);
        QCOMPARE(window.messages, message.isEmpty() ? QStringList() : QStringList{message});
        if (parsed) {
            QCOMPARE(QString::fromStdString(dialog.m_strSendText[2]), prepared);
        } else {
            QCOMPARE(dialog.m_strSendText[2], std::string("old"));
            QCOMPARE(View(dialog).focusWidget(), View(dialog).GetDlgItem(focus == 0 ? 1018 : 1028));
        }
        QCOMPARE(window.Edit(1028)->text(), command);  // blanks are removed only in copies
    }

    // Values that fail the data exchange: the message, the focus, and the
    // values after the failing one left untaken.
    void dataExchangeValidation_data()
    {
        QTest::addColumn<int>("editId");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("commandsTaken");
        const QString notUnsigned = "Please enter a positive integer.";
        const QString range = "Please enter an integer between 1 and 100000.";
        QTest::newRow("row time-out not a number") << 1040 << "12a" << notUnsigned << false;
        QTest::newRow("row time-out negative") << 1036 << "-1" << notUnsigned << false;
        QTest::newRow("row time-out beyond 32 bits")
            << 1045 << "4294967296" << notUnsigned << false;
        QTest::newRow("character time-out empty") << 1087 << "" << notUnsigned << true;
        QTest::newRow("character time-out 0") << 1087 << "0" << range << true;
        QTest::newRow("character time-out 100001") << 1087 << "100001" << range << true;
        QTest::newRow("character time-out 100000 with blanks") << 1087 << " 100000 "
                                                               << "" << true;
        QTest::newRow("row time-out 0") << 1037 << "0"
                                        << "" << true;
    }
    void dataExchangeValidation()
    {
        QFETCH(int, editId);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(bool, commandsTaken);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        View(dialog).activateWindow();
        window.Edit(1026)->setText(QStringLiteral("0102"));
        window.Edit(editId)->setText(text);
        QCOMPARE(dialog.UpdateData(true), message.isEmpty());
        QCOMPARE(window.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dialog.m_strCmd[0] == "0102", commandsTaken);
        if (!message.isEmpty())
            QCOMPARE(View(dialog).focusWidget(), View(dialog).GetDlgItem(editId));

        // A Send shows the message once; a failed row time-out sends nothing,
        // a failed character time-out leaves the rows taken and the Send goes on.
        window.messages.clear();
        dialog.OnCommand(1003);
        QStringList expected;
        if (!message.isEmpty()) expected << message;
        if (commandsTaken) expected << QStringLiteral("Ports are not open!");
        QCOMPARE(window.messages, expected);
    }

    void sendWithoutPort()
    {
        StartedWindow window;
        window.Edit(1026)->setText(QStringLiteral("01 02"));
        QTest::mouseClick(View(*window.dialog).GetDlgItem(1003), Qt::LeftButton);
        QCOMPARE(window.messages, QStringList{"Ports are not open!"});
        QCOMPARE(window.LogText(), QString());
    }

    void sendThroughPortAndCorvane()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        FakePort port;
        port.reply = {0x90, 0x00};
        dialog.Engine().SetCurrentPort(&port);
        dialog.Engine().SetProtocolApi(LoadCorvane());
        window.Edit(1029)->setText(QStringLiteral("00 a4 04"));
        window.Edit(1039)->setText(QStringLiteral("0"));
        QTest::mouseClick(View(dialog).GetDlgItem(1006), Qt::LeftButton);
        QVERIFY(WaitForWorker(dialog));
        QVERIFY(window.messages.isEmpty());
        QCOMPARE(port.written, (std::vector<unsigned char>{0x00, 0xA4, 0x04}));
        QVERIFY(std::find(port.calls.begin(), port.calls.end(), "SetTimeouts(200,30)") !=
                port.calls.end());
        const QStringList lines = window.LogText().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral(" OUT│ SUCCESS│            │ 00 A4 04 "));
        QVERIFY(lines[1].startsWith(QStringLiteral("  IN│ SUCCESS│use ")));
        QVERIFY(lines[1].endsWith(QStringLiteral("ms│ 90 00 ")));
        QCOMPARE(lines[2].size(), 93);
        QCOMPARE(lines[3], QString());
        // The line just added is selected.
        QCOMPARE(View(dialog).Item<QPlainTextEdit>(1000)->textCursor().selectedText(),
                 QString(lines[2] + QChar::ParagraphSeparator));
        dialog.Engine().SetCurrentPort(nullptr);
    }

    void enterInARowEditSendsThatRow_data()
    {
        QTest::addColumn<int>("editId");
        QTest::addColumn<int>("row");
        QTest::newRow("time-out of row 7") << 1042 << 6;
        QTest::newRow("address of row 1") << 1016 << 0;
        QTest::newRow("command of row 10") << 1035 << 9;
    }
    void enterInARowEditSendsThatRow()
    {
        QFETCH(int, editId);
        QFETCH(int, row);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        FakePort port;
        dialog.Engine().SetCurrentPort(&port);
        dialog.Engine().SetProtocolApi(LoadCorvane());
        window.Edit(MainDialog::CommandId(row))->setText(QStringLiteral("5A"));
        QTest::keyClick(window.Edit(editId), Qt::Key_Return);
        QVERIFY(port.written.empty());  // posted: it runs after the key
        QTRY_VERIFY(dialog.LoopWorkerAlive());
        QVERIFY(WaitForWorker(dialog));  // the worker writes the port
        QCOMPARE(port.written, std::vector<unsigned char>{0x5A});
        QCOMPARE(window.Edit(editId)->text().contains('\n'), false);
        // Enter elsewhere sends nothing and closes nothing.
        port.written.clear();
        QTest::keyClick(window.Edit(1087), Qt::Key_Return);
        QApplication::processEvents();
        QVERIFY(port.written.empty());
        QVERIFY(View(dialog).isVisible());
        dialog.Engine().SetCurrentPort(nullptr);
    }

    void okLeavesTheWindowOpenEscapeClosesIt()
    {
        StartedWindow window;
        window.dialog->OnCommand(1);
        View(*window.dialog).accept();
        QVERIFY(View(*window.dialog).isVisible());
        QTest::keyClick(window.Edit(1026), Qt::Key_Escape);
        QVERIFY(!View(*window.dialog).isVisible());
        QCOMPARE(View(*window.dialog).result(), 2);  // the cancel command
    }

    void rowColours()
    {
        StartedWindow window;
        const auto base = [&](int id, QPalette::ColorGroup group) {
            return View(*window.dialog).GetDlgItem(id)->palette().color(group, QPalette::Base);
        };
        for (int id : {1016, 1026, 1036, 1018, 1044})
            QCOMPARE(base(id, QPalette::Active), QColor(200, 250, 250));
        for (int id : {1017, 1027, 1037, 1045})
            QCOMPARE(base(id, QPalette::Active), QColor(250, 250, 200));
        QVERIFY(base(1016, QPalette::Disabled) != QColor(200, 250, 250));
        QCOMPARE(base(1087, QPalette::Active), QApplication::palette().color(QPalette::Base));
    }

    void logWipeAndClear()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        const std::string line(998, 'x');  // 1000 characters with CR LF
        for (int i = 0; i < 630; ++i)
            dialog.AppendLog(line);
        QCOMPARE(dialog.Log().TextLength(), std::size_t{630000});
        dialog.AppendLog("kept");  // 630000 is not above the wipe length
        QCOMPARE(dialog.Log().TextLength(), std::size_t{630006});
        dialog.AppendLog("alone");
        QCOMPARE(window.LogText(), QStringLiteral("alone\n"));

        QTest::mouseClick(View(dialog).GetDlgItem(1089), Qt::LeftButton);
        QCOMPARE(window.LogText(), QString());
        dialog.AppendLog("x");
        dialog.OnCommand(32777);
        QCOMPARE(window.LogText(), QString());
    }

    void logStopsAtItsLimit()
    {
        QPlainTextEdit edit;
        LogEditView log(edit);
        log.SetLimit(10);
        AppendLog(log, "abcd");  // 6 characters
        AppendLog(log, "efgh");  // 4 fit: "efgh"
        QCOMPARE(edit.toPlainText(), QStringLiteral("abcd\nefgh"));
        QCOMPARE(log.TextLength(), std::size_t{10});
    }

    void aboutBox()
    {
        StartedWindow window;
        QString title;
        QTimer::singleShot(0, [&title] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* about = qobject_cast<QDialog*>(modal);
            if (about) {
                title = about->windowTitle();
                QTest::keyClick(about, Qt::Key_Escape);
            }
        });
        window.dialog->OnSysCommand(16);
        QCOMPARE(title, QStringLiteral("关于Quillard"));
        AboutDialog about;
        QCOMPARE(static_cast<QPushButton*>(about.GetDlgItem(1))->text(), QStringLiteral("确定"));
        QVERIFY(about.findChildren<QLabel*>().size() == 3);
        QVERIFY(about.findChildren<QLabel*>()[1]->text() == QStringLiteral("Quillard 1.2 版"));
        // Other system commands are the window manager's.
        window.dialog->OnSysCommand(0xF020);
        QVERIFY(View(*window.dialog).isVisible());
    }
};

int RunMainDialogTests(int argc, char** argv)
{
    MainDialogTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "main_dialog_tests.moc"
