// Opening ports from the window, the HID search, loop send, and the rows and
// language that go with them.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "simulated_hid.h"
#include "started_window.h"

namespace {

using Bytes = TestReader::Bytes;

// The requests the reader got, as the first byte of each.
QList<int> FirstBytes(const TestReader& reader)
{
    QList<int> firsts;
    for (const Bytes& request : reader.Requests())
        firsts << request.front();
    return firsts;
}

void CheckRow(MainDialog& dialog, int row, const QString& command)
{
    View(dialog).Item<QLineEdit>(MainDialog::CommandId(row))->setText(command);
    View(dialog).Item<QCheckBox>(MainDialog::LoopCheckId(row))->setChecked(true);
}

// A port that may be switched off under a running worker.
class TogglePort : public CxBasePort {
public:
    int IsOpen() override { return open; }
    unsigned long Write(void*, unsigned long length) override { return length; }
    unsigned long Read(void* buffer, unsigned long) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        static_cast<unsigned char*>(buffer)[0] = 0x90;
        return 1;
    }
    int SetTimeouts(unsigned long, unsigned long) override { return 1; }
    int Purge() override { return 1; }
    void Close() override { open = 0; }

    std::atomic<int> open{1};
};

bool SendControlsEnabled(MainDialog& dialog)
{
    for (int id : {1015, 1061, 1026, 1036, 1003, 1046, 1035, 1045, 1012, 1055})
        if (!View(dialog).GetDlgItem(id)->isEnabled()) return false;
    return true;
}

}  // namespace

class PortLoopTests : public QObject {
    Q_OBJECT

private slots:
    void comListAtStartAndWhenTyping()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        auto* ports = View(dialog).Item<QComboBox>(1058);
        auto* lines = View(dialog).Item<QComboBox>(1060);
        QCOMPARE(ports->count(), 1);
        // The edit shows the name; the dropped list shows the device beside it.
        QCOMPARE(ports->currentText(), QStringLiteral("COM200"));
        QVERIFY(ports->itemData(0).toString().startsWith(QStringLiteral("pts/")));
        QCOMPARE(lines->currentText(), QStringLiteral("19200, n,8,1"));
        lines->setCurrentIndex(10);
        QTest::keyClicks(ports->lineEdit(), "7");
        QCOMPARE(ports->count(), 1);
        QCOMPARE(ports->currentText(), QStringLiteral("COM200"));
        QCOMPARE(lines->currentText(), QStringLiteral("19200, n,8,1"));
        QVERIFY(window.messages.isEmpty());
    }

    void noComPort()
    {
        TestProgramFolder folder;
        folder.Write(kSettingsFileName, ChineseCatalogue());
        std::filesystem::create_directories(folder.Path("sys"));  // a tty class without ports
        SetDefaultComPortRoots({.devFolder = folder.Path("dev"),
                                .sysTtyFolder = folder.Path("sys"),
                                .linkFolder = folder.Path("links")});
        QStringList messages;
        MainDialog dialog;
        dialog.SetMessageHandler(
            [&](const std::string& text) { messages << QString::fromStdString(text); });
        dialog.Create();
        QCOMPARE(messages, QStringList{"Cannot Find any available COM port!\n"});
        QTest::keyClicks(View(dialog).Item<QComboBox>(1058)->lineEdit(), "C");
        QCOMPARE(messages.size(), 2);
        QCOMPARE(View(dialog).Item<QComboBox>(1058)->count(), 0);
        SetDefaultComPortRoots({});
    }

    void comOpen_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("COM200") << "COM200"
                                << "19200, n,8,1"
                                << "";
        QTest::newRow("200") << "200"
                             << "115200,e,8,1"
                             << "";
        QTest::newRow("no digits: port 0") << "COMX"
                                           << "19200, n,8,1"
                                           << "Open COM 0 Failed！";
        QTest::newRow("bad line setting") << "COM200"
                                          << "19200,q,8,1"
                                          << "Open COM 200 Failed！";
    }
    void comOpen()
    {
        QFETCH(QString, port);
        QFETCH(QString, line);
        QFETCH(QString, message);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        static const int kLocked[] = {1058, 1060, 1087, 1088, 1091, 1062};
        View(dialog).Item<QComboBox>(1058)->setEditText(port);
        View(dialog).Item<QComboBox>(1060)->setEditText(line);
        QTest::mouseClick(View(dialog).GetDlgItem(1015), Qt::LeftButton);
        QCOMPARE(window.messages, message.isEmpty() ? QStringList() : QStringList{message});
        const bool opened = message.isEmpty();
        QCOMPARE(dialog.Comm().IsOpen() != 0, opened);
        QCOMPARE(dialog.Engine().GetCurrentPort(),
                 opened ? static_cast<CxBasePort*>(&dialog.Comm()) : nullptr);
        QCOMPARE(View(dialog).Item<QPushButton>(1015)->text(),
                 opened ? QStringLiteral("关闭") : QStringLiteral("打开"));
        for (int id : kLocked)
            QCOMPARE(View(dialog).GetDlgItem(id)->isEnabled(), !opened);
        if (!opened) return;
        QTest::mouseClick(View(dialog).GetDlgItem(1015), Qt::LeftButton);
        QVERIFY(!dialog.Comm().IsOpen());
        QCOMPARE(dialog.Engine().GetCurrentPort(), nullptr);
        QCOMPARE(View(dialog).Item<QPushButton>(1015)->text(), QStringLiteral("打开"));
        for (int id : kLocked)
            QVERIFY(View(dialog).GetDlgItem(id)->isEnabled());
    }

    void sendThroughTheOpenedComPort()
    {
        StartedWindow window;
        QVERIFY(window.OpenReaderPort());
        window.Edit(1027)->setText(QStringLiteral("00 a4"));
        QTest::mouseClick(View(*window.dialog).GetDlgItem(1004), Qt::LeftButton);
        QVERIFY(WaitForWorker(*window.dialog));
        const QStringList lines = window.LogText().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral(" OUT│ SUCCESS│            │ 00 A4 "));
        QVERIFY2(lines[1].startsWith(QStringLiteral("  IN│ SUCCESS│use ")) &&
                     lines[1].endsWith(QStringLiteral("│ 90 00 ")),
                 qPrintable(lines[1]));
        QVERIFY(lines[2].startsWith(QStringLiteral("──┼────┼──────┼───")));
        QCOMPARE(window.reader->Requests(), std::vector<Bytes>{Bytes({0x00, 0xA4})});
    }

    void hidSearchAndOpen()
    {
        SimulatedHid hid;
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        dialog.OnCommand(1091);
        QCOMPARE(window.LogText(), QStringLiteral("No Find Vemra HID Device!\n"));
        QCOMPARE(View(dialog).Item<QComboBox>(1088)->count(), 0);

        hid.AddOtherDevice();
        hid.AddReader();
        for (int i = 0; i < 3; ++i)
            hid.AddOtherDevice();
        hid.AddReader();
        dialog.OnCommand(1091);
        auto* readers = View(dialog).Item<QComboBox>(1088);
        QCOMPARE(readers->count(), 2);
        QCOMPARE(readers->itemText(0), QStringLiteral("Vemra HIDDevice ID: 1"));
        QCOMPARE(readers->itemText(1), QStringLiteral("Vemra HIDDevice ID: 5"));
        readers->setCurrentIndex(1);
        dialog.OnCommand(1062);
        QCOMPARE(hid.OpenHandles(), std::size_t{1});
        QVERIFY(dialog.Hid().IsOpen());
        QCOMPARE(dialog.Engine().GetCurrentPort(), static_cast<CxBasePort*>(&dialog.Hid()));
        QCOMPARE(View(dialog).Item<QPushButton>(1062)->text(), QStringLiteral("关闭"));
        for (int id : {1058, 1060, 1087, 1088, 1091, 1015})
            QVERIFY(!View(dialog).GetDlgItem(id)->isEnabled());

        // Closing the reader while a loop runs on it stops the loop first.
        CheckRow(dialog, 0, QStringLiteral("01"));
        window.Edit(1036)->setText(QStringLiteral("5"));
        dialog.OnCommand(1014);
        QVERIFY(dialog.GetLooping());
        QTRY_VERIFY(window.LogText().contains(QStringLiteral(" OUT│")));
        dialog.OnCommand(1062);
        QVERIFY(!dialog.GetLooping());
        QVERIFY(!dialog.LoopWorkerAlive());
        QVERIFY(SendControlsEnabled(dialog));
        QVERIFY(!dialog.Hid().IsOpen());
        QCOMPARE(dialog.Engine().GetCurrentPort(), nullptr);

        hid.At(5).openFails = true;
        dialog.m_nLanguage = 1;
        dialog.OnCommand(1062);
        QCOMPARE(window.messages, QStringList{"Vemra HIDDevice ID: 5 Open failed!"});
    }

    void loopStartIsRefused_data()
    {
        QTest::addColumn<bool>("openPort");
        QTest::addColumn<int>("checkedRow");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("no port") << false << 0 << "01"
                                 << "The port is not open!";
        QTest::newRow("no checked row") << true << -1 << ""
                                        << "至少需要选中一条命令!";
        QTest::newRow("checked row with empty command") << true << 3 << ""
                                                        << "命令不能为空, 请输入!";
        QTest::newRow("checked row with odd command")
            << true << 9 << "ABC"
            << "命令格式错误, 出现奇数个有效字符, 请检查输入!";
    }
    void loopStartIsRefused()
    {
        QFETCH(bool, openPort);
        QFETCH(int, checkedRow);
        QFETCH(QString, command);
        QFETCH(QString, message);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        if (openPort) QVERIFY(window.OpenReaderPort());
        if (checkedRow >= 0) CheckRow(dialog, checkedRow, command);
        QTest::mouseClick(View(dialog).GetDlgItem(1014), Qt::LeftButton);
        QCOMPARE(window.messages, QStringList{message});
        QVERIFY(!dialog.GetLooping());
        QVERIFY(!dialog.LoopWorkerAlive());
        QVERIFY(SendControlsEnabled(dialog) || !openPort);
        if (checkedRow >= 0 && !command.isNull() && openPort)
            QCOMPARE(View(dialog).focusWidget(),
                     View(dialog).GetDlgItem(MainDialog::CommandId(checkedRow)));
    }

    // Rows 2 and 5 checked, row 9 checked and hidden, row 5 unanswered: every
    // pass sends 2, 5, 9 in order, the NO DATA of row 5 does not stop it.
    void loopSendsTheCheckedRowsInOrder()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        QVERIFY(window.OpenReaderPort());
        CheckRow(dialog, 1, QStringLiteral("02"));
        CheckRow(dialog, 4, QStringLiteral("05"));
        CheckRow(dialog, 8, QStringLiteral("09"));
        window.Edit(1040)->setText(QStringLiteral("30"));
        window.reader->SetSilentFor(0x05);
        dialog.OnRemoveRow();
        QVERIFY(!View(dialog).GetDlgItem(1034)->isVisible() || dialog.m_nRowCount == 9);
        while (dialog.m_nRowCount > 3)
            dialog.OnRemoveRow();

        QTest::mouseClick(View(dialog).GetDlgItem(1014), Qt::LeftButton);
        QVERIFY(dialog.GetLooping());
        QVERIFY(!SendControlsEnabled(dialog));
        QCOMPARE(View(dialog).Item<QPushButton>(1014)->text(), QStringLiteral("循环发送"));
        QTRY_VERIFY(window.reader->Requests().size() >= 9);
        // Rows change while the loop runs: only the geometry.
        dialog.OnAddRow();
        QTest::mouseClick(View(dialog).GetDlgItem(1014), Qt::LeftButton);
        QVERIFY(!dialog.GetLooping());
        QTRY_VERIFY(!dialog.LoopWorkerAlive());
        QVERIFY(SendControlsEnabled(dialog));
        QVERIFY(View(dialog).GetDlgItem(1014)->isEnabled());

        const QList<int> sent = FirstBytes(*window.reader);
        for (int i = 0; i < sent.size(); ++i)
            QCOMPARE(sent[i], (QList<int>{2, 5, 9})[i % 3]);
        QVERIFY(window.LogText().contains(QStringLiteral("NO DATA")));
        QCOMPARE(window.reader->Overlaps(), 0);
        QVERIFY(window.messages.isEmpty());
    }

    void loopButtonCaptions()
    {
        StartedWindow window(kTwoProtocols);  // English
        MainDialog& dialog = *window.dialog;
        auto* loop = View(dialog).Item<QPushButton>(1014);
        QCOMPARE(loop->text(), QStringLiteral("Loop Trans"));
        QVERIFY(window.OpenReaderPort());
        CheckRow(dialog, 0, QStringLiteral("01"));
        dialog.OnCommand(1014);
        QCOMPARE(loop->text(), QStringLiteral("Loop Send"));
        dialog.OnCommand(1014);
        QCOMPARE(loop->text(), QStringLiteral("Loop Send"));
        QTRY_VERIFY(!dialog.LoopWorkerAlive());
        View(dialog).Item<QRadioButton>(1098)->click();
        QCOMPARE(loop->text(), QStringLiteral("Loop Trans"));
    }

    void closingThePortStopsTheLoopFirst_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::newRow("prompt reader") << 0;
        QTest::newRow("slow reader") << 150;
    }
    void closingThePortStopsTheLoopFirst()
    {
        QFETCH(int, delayMs);
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        window.reader->SetDelay(std::chrono::milliseconds(delayMs),
                                std::chrono::milliseconds(delayMs));
        QVERIFY(window.OpenReaderPort());
        CheckRow(dialog, 0, QStringLiteral("01"));
        window.Edit(1036)->setText(QStringLiteral("1000"));
        dialog.OnCommand(1014);
        QTRY_VERIFY(!window.reader->Requests().empty());
        dialog.OnCommand(1015);
        QVERIFY(!dialog.GetLooping());
        QVERIFY(!dialog.LoopWorkerAlive());
        QVERIFY(!dialog.Comm().IsOpen());
        QVERIFY(SendControlsEnabled(dialog));
        QCOMPARE(window.reader->Overlaps(), 0);
        QVERIFY(window.messages.isEmpty());
    }

    // After a stop the worker may still be in its pass: nothing from the
    // window may start a transaction until it has ended.
    void noSendOverlapsTheFinishingWorker()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        window.reader->SetDelay(std::chrono::milliseconds(300), std::chrono::milliseconds(300));
        QVERIFY(window.OpenReaderPort());
        CheckRow(dialog, 0, QStringLiteral("01"));
        window.Edit(1036)->setText(QStringLiteral("2000"));
        dialog.OnCommand(1014);
        QTRY_VERIFY(!window.reader->Requests().empty());
        dialog.OnCommand(1014);  // stop while the reader is still answering
        QVERIFY(dialog.LoopWorkerAlive());
        QVERIFY(!View(dialog).GetDlgItem(1003)->isEnabled());
        QVERIFY(!View(dialog).GetDlgItem(1014)->isEnabled());
        QTest::keyClick(window.Edit(1026), Qt::Key_Return);
        dialog.OnCommand(1003);
        QTRY_VERIFY(!dialog.LoopWorkerAlive());
        QVERIFY(View(dialog).GetDlgItem(1003)->isEnabled());
        QApplication::processEvents();
        QCOMPARE(window.reader->Requests().size(), std::size_t{1});
        QCOMPARE(window.reader->Overlaps(), 0);
    }

    void closingTheWindowEndsTheWorker()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        window.reader->SetDelay(std::chrono::milliseconds(50), std::chrono::milliseconds(50));
        QVERIFY(window.OpenReaderPort());
        CheckRow(dialog, 0, QStringLiteral("01"));
        window.Edit(1036)->setText(QStringLiteral("100000"));
        window.reader->SetSilentFor(0x01);  // the worker waits for a reply that never comes
        dialog.OnCommand(1014);
        QTRY_VERIFY(!window.reader->Requests().empty());
        QTest::keyClick(&View(dialog), Qt::Key_Escape);
        QVERIFY(!View(dialog).isVisible());
        QVERIFY(!dialog.LoopWorkerAlive());
        QVERIFY(window.messages.isEmpty());
    }

    void loopButtonWithoutOpenPortWhileLooping()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        TogglePort port;
        dialog.Engine().SetCurrentPort(&port);
        CheckRow(dialog, 0, QStringLiteral("01"));
        dialog.OnCommand(1014);
        QVERIFY(dialog.GetLooping());
        port.open = 0;  // the reader is gone: the worker's passes end at once
        dialog.OnCommand(1014);
        QCOMPARE(window.messages.first(), QStringLiteral("The port is not open!"));
        QVERIFY(dialog.GetLooping());
        window.dialog.reset();  // closing the window still ends the worker
    }

    void languageSwitchWhilePortOpen()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        QVERIFY(window.OpenReaderPort());
        View(dialog).Item<QRadioButton>(1098)->click();
        QCOMPARE(View(dialog).Item<QPushButton>(1015)->text(), QStringLiteral("Open"));
        QCOMPARE(View(dialog).Item<QPushButton>(1062)->text(), QStringLiteral("Open"));
        dialog.OnCommand(1015);
        QVERIFY(!dialog.Comm().IsOpen());
        QCOMPARE(View(dialog).Item<QPushButton>(1015)->text(), QStringLiteral("Open"));

        // With an empty character time-out the texts stay in the old language.
        window.Edit(1087)->clear();
        View(dialog).Item<QRadioButton>(1097)->click();
        QCOMPARE(window.messages, QStringList{"Please enter a positive integer."});
        QCOMPARE(dialog.m_nLanguage, 1);
        QCOMPARE(View(dialog).Item<QPushButton>(1003)->text(), QStringLiteral("Send"));
    }

    void languageFromSettings_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("english");
        QTest::newRow("EN") << "szLanguage=EN" << true;
        QTest::newRow("CN") << "szLanguage=CN" << false;
        QTest::newRow("other") << "szLanguage=en" << false;
        QTest::newRow("no key") << "" << false;
    }
    void languageFromSettings()
    {
        QFETCH(QString, stored);
        QFETCH(bool, english);
        std::string settings = kTwoProtocols;
        settings.replace(settings.find("szLanguage=EN"), 13, stored.toStdString());
        StartedWindow window(settings);
        MainDialog& dialog = *window.dialog;
        QCOMPARE(View(dialog).Item<QRadioButton>(1098)->isChecked(), english);
        const char* expected[][2] = {
            {"发送", "Send"},           {"串口设置", "COM"},        {"串口号:", "Port:"},
            {"波特率:", "Baudrate:"},   {"字符超时:", "Timeout:"},  {"打开", "Open"},
            {"HID设置", "HID"},         {"打开", "Open"},           {"查找", "Search"},
            {"发送控制", "Send Pane"},  {"设备标识", "Device ID"},  {"支持的读写器", "Reader List"},
            {"循环发送", "Loop Trans"}, {"超时(ms)", "Timeout/ms"}, {"清除", "Clear"}};
        const int ids[] = {1012, 1096, 1092, 1093, 1094, 1015, 1095, 1062,
                           1091, 1057, 1059, 1090, 1014, 1056, 1089};
        auto text = [&](int id) {
            QWidget* control = View(dialog).GetDlgItem(id);
            if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
            if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
            return qobject_cast<QGroupBox*>(control)->title();
        };
        for (int i = 0; i < 15; ++i)
            QCOMPARE(text(ids[i]), QString::fromUtf8(expected[i][english ? 1 : 0]));
        // Clicking the other language changes every label, and close keeps it.
        View(dialog).Item<QRadioButton>(english ? 1097 : 1098)->click();
        for (int i = 0; i < 15; ++i)
            QCOMPARE(text(ids[i]), QString::fromUtf8(expected[i][english ? 0 : 1]));
        View(dialog).reject();
        QVERIFY(window.folder.Read(kSettingsFileName)
                    .find(english ? "szLanguage=CN" : "szLanguage=EN") != std::string::npos);
    }

    void rowsComeAndGo()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        const int pitch = View(dialog).GetDlgItem(1026)->height() + 4;
        const QRect loop = View(dialog).GetDlgItem(1014)->geometry();
        const int tabHeight = View(dialog).GetDlgItem(1061)->height();
        const int frameHeight = View(dialog).GetDlgItem(1057)->height();
        const int height = View(dialog).height();
        window.Edit(1035)->setText(QStringLiteral("0A0B"));
        window.Edit(1045)->setText(QStringLiteral("77"));
        View(dialog).Item<QCheckBox>(1055)->setChecked(true);

        QTest::mouseClick(View(dialog).GetDlgItem(1013), Qt::LeftButton);
        QCOMPARE(dialog.m_nRowCount, 9);
        QCOMPARE(View(dialog).GetDlgItem(1014)->geometry(), loop.translated(0, -pitch));
        QCOMPARE(View(dialog).GetDlgItem(1061)->height(), tabHeight - pitch);
        QCOMPARE(View(dialog).GetDlgItem(1057)->height(), frameHeight - pitch);
        QCOMPARE(View(dialog).height(), height - pitch);
        QVERIFY(View(dialog).GetDlgItem(1001)->isEnabled());
        QVERIFY(View(dialog).GetDlgItem(1035)->isHidden() &&
                View(dialog).GetDlgItem(1055)->isHidden());
        for (int i = 0; i < 8; ++i)
            QTest::mouseClick(View(dialog).GetDlgItem(1013), Qt::LeftButton);
        QCOMPARE(dialog.m_nRowCount, 1);
        QVERIFY(!View(dialog).GetDlgItem(1013)->isEnabled());
        QTest::mouseClick(View(dialog).GetDlgItem(1013), Qt::LeftButton);
        QCOMPARE(dialog.m_nRowCount, 1);
        QCOMPARE(View(dialog).height(), 590);
        for (int i = 0; i < 9; ++i)
            QTest::mouseClick(View(dialog).GetDlgItem(1001), Qt::LeftButton);
        QCOMPARE(dialog.m_nRowCount, 10);
        QVERIFY(!View(dialog).GetDlgItem(1001)->isEnabled());
        QCOMPARE(window.Edit(1035)->text(), QStringLiteral("0A0B"));
        QCOMPARE(window.Edit(1045)->text(), QStringLiteral("77"));
        QVERIFY(View(dialog).Item<QCheckBox>(1055)->isChecked());
        QVERIFY(View(dialog).GetDlgItem(1035)->isVisible());
    }
};

int RunPortLoopTests(int argc, char** argv)
{
    PortLoopTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "port_loop_tests.moc"
