// Protocol tabs, plug-ins, settings and history through the window.
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "fake_port.h"
#include "hex_edit.h"
#include "started_window.h"

namespace {

// Settings with one protocol per plug-in name, in this order.
std::string CatalogueOf(const std::vector<std::string>& dllNames, int addrLen = 0)
{
    std::string settings = "[Setting]\nnProtocolCount=" + std::to_string(dllNames.size()) + "\n";
    for (std::size_t i = 0; i < dllNames.size(); ++i)
        settings += "szProtocolName" + std::to_string(i) + "=P" + std::to_string(i) + "\n";
    for (std::size_t i = 0; i < dllNames.size(); ++i)
        settings += "[szProtocolName" + std::to_string(i) + "]\nszDllName=" + dllNames[i] +
                    "\nbHexMode=TRUE\nnAddrLen=" + std::to_string(addrLen) + "\nnDevCount=0\n";
    return settings;
}

int PluginLoads()
{
    return qEnvironmentVariableIntValue("TEST_PLUGIN_LOADS");
}

QString Label(MainDialog& dialog, int id)
{
    return View(dialog).Item<QLabel>(id)->text();
}

}  // namespace

class ProtocolTabTests : public QObject {
    Q_OBJECT

private slots:
    void startsOnTheFirstProtocol()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        auto* tabs = View(dialog).Item<QTabWidget>(1061);
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Direct"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Bus"));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(dialog.m_pCurProtocol, dialog.m_protocols[0].get());
        QCOMPARE(Label(dialog, 1063), QStringLiteral("Reader A"));
        QCOMPARE(Label(dialog, 1064), QStringLiteral("Reader B"));
        QCOMPARE(Label(dialog, 1065), QString());
        QVERIFY(!View(dialog).GetDlgItem(1016)->isEnabled());
        QVERIFY(dialog.Engine().GetProtocolApi().IsBound());
        QVERIFY(window.messages.isEmpty());
        QVERIFY(!dialog.QuitRequested());

        tabs->setCurrentIndex(1);
        QCOMPARE(Label(dialog, 1063), QStringLiteral("Reader C"));
        QCOMPARE(Label(dialog, 1064), QString());
        QVERIFY(View(dialog).GetDlgItem(1016)->isEnabled());
        QCOMPARE(dialog.m_nAddrLen, 1);
    }

    void readerNames_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("30: the first 24") << 30;
        QTest::newRow("3") << 3;
        QTest::newRow("none") << 0;
    }
    void readerNames()
    {
        QFETCH(int, count);
        StartedWindow window;
        std::vector<std::string> names;
        for (int n = 0; n < count; ++n)
            names.push_back("R" + std::to_string(n));
        window.dialog->ShowDevNames(names);
        for (int n = 0; n < 24; ++n)
            QCOMPARE(Label(*window.dialog, 1063 + n),
                     n < count ? QStringLiteral("R%1").arg(n) : QString());
    }

    void addressLengthSetsTheAddressColumn_data()
    {
        QTest::addColumn<int>("addrLen");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("typed");
        QTest::newRow("no address") << 0 << false << "0102030405";
        QTest::newRow("four bytes: eight characters") << 4 << true << "01020304";
    }
    void addressLengthSetsTheAddressColumn()
    {
        QFETCH(int, addrLen);
        QFETCH(bool, enabled);
        QFETCH(QString, typed);
        StartedWindow window(CatalogueOf({"Corvane.dll"}, addrLen));
        auto* address = static_cast<HexEdit*>(View(*window.dialog).GetDlgItem(1020));
        QCOMPARE(address->isEnabled(), enabled);
        address->setEnabled(true);
        QTest::keyClicks(address, "0102030405");
        QCOMPARE(address->text(), typed);
        // Text the program puts in is never cut: a long address from the history stays.
        window.dialog->m_strAddr[4] = "0102030405060708090A";
        window.dialog->UpdateData(false);
        QCOMPARE(address->text(), QStringLiteral("0102030405060708090A"));
    }

    void switchingBackRestoresTheRowsAndSavesTheHistory()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        auto* tabs = View(dialog).Item<QTabWidget>(1061);
        window.Edit(1026)->setText(QStringLiteral("0102"));
        window.Edit(1035)->setText(QStringLiteral("AABB"));
        tabs->setCurrentIndex(1);
        QCOMPARE(window.Edit(1026)->text(), QString());
        QVERIFY(window.folder.Read(kHistoryFileName).find("CMD0=0102") != std::string::npos);
        window.Edit(1016)->setText(QStringLiteral("01"));
        window.Edit(1026)->setText(QStringLiteral("0304"));
        tabs->setCurrentIndex(0);
        QCOMPARE(window.Edit(1026)->text(), QStringLiteral("0102"));
        QCOMPARE(window.Edit(1035)->text(), QStringLiteral("AABB"));
        tabs->setCurrentIndex(1);
        QCOMPARE(window.Edit(1016)->text(), QStringLiteral("01"));
        QCOMPARE(window.Edit(1026)->text(), QStringLiteral("0304"));
        QVERIFY(window.messages.isEmpty());
    }

    // A time-out edit the data exchange rejects must not cost the typed rows.
    void rowsSurviveAFailingTimeout()
    {
        StartedWindow window;
        MainDialog& dialog = *window.dialog;
        window.Edit(1026)->setText(QStringLiteral("0102"));
        window.Edit(1038)->setText(QStringLiteral("abc"));
        View(dialog).Item<QTabWidget>(1061)->setCurrentIndex(1);
        QCOMPARE(window.messages, QStringList{"Please enter a positive integer."});
        QCOMPARE(dialog.m_protocols[0]->szCmd[0], std::string("0102"));
        window.Edit(1027)->setText(QStringLiteral("0A0B"));
        View(dialog).reject();
        QVERIFY(window.folder.Read(kHistoryFileName).find("CMD1=0A0B") != std::string::npos);
    }

    void samePluginFileIsReloadedAtEverySwitch()
    {
        StartedWindow window(CatalogueOf({"PassThrough.dll", "PassThrough.dll"}));
        auto* tabs = View(*window.dialog).Item<QTabWidget>(1061);
        const int loads = PluginLoads();
        tabs->setCurrentIndex(1);
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(1);
        QCOMPARE(PluginLoads(), loads + 3);
        QVERIFY(window.dialog->Engine().GetProtocolApi().IsBound());
    }

    void pluginFailures_data()
    {
        QTest::addColumn<QString>("dllName");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("missing file")
            << "Absent.dll"
            << QStringList{"Can't load %1/Protocols/Absent.dll!", "Load Absent.dll Faild!!!"};
        QTest::newRow("missing unwrap") << "NoUnwrap.dll"
                                        << QStringList{"Function: tlx_ReaderToPC can't be found.",
                                                       "Load NoUnwrap.dll Faild!!!"};
    }
    void pluginFailures()
    {
        QFETCH(QString, dllName);
        QFETCH(QStringList, messages);
        StartedWindow window(CatalogueOf({dllName.toStdString()}));
        MainDialog& dialog = *window.dialog;
        if (messages[0].contains(QStringLiteral("%1")))
            messages[0] =
                messages[0].arg(QString::fromStdString(window.folder.Path("")).chopped(1));
        QCOMPARE(window.messages, messages);
        QVERIFY(!dialog.Engine().GetProtocolApi().IsBound());
        QCOMPARE(dialog.m_hProtocolLib, nullptr);
        QVERIFY(dialog.QuitRequested());

        // Until the program ends, a Send is refused.
        FakePort port;
        dialog.Engine().SetCurrentPort(&port);
        window.Edit(1026)->setText(QStringLiteral("01"));
        dialog.OnSend(0);
        QCOMPARE(window.messages.last(), QStringLiteral("Protocol library load error!"));
        dialog.Engine().SetCurrentPort(nullptr);
        // The quit closes the window, which still saves the history and language.
        QTRY_VERIFY(!View(dialog).isVisible());
        QVERIFY(window.folder.Read(kHistoryFileName).find("CMD0=01") != std::string::npos);
        QVERIFY(window.folder.Read(kSettingsFileName).find("szLanguage=CN") != std::string::npos);
    }

    void settingsErrorKeepsTheEntriesBeforeIt()
    {
        std::string settings = ChineseCatalogue();
        settings.replace(settings.rfind("szDllName"), 9, "x");
        StartedWindow window(settings);
        QCOMPARE(window.messages, QStringList{"Vemra_Test.ini error!"});
        QCOMPARE(View(*window.dialog).Item<QTabWidget>(1061)->count(), 1);
        QVERIFY(window.dialog->Engine().GetProtocolApi().IsBound());
        QTRY_VERIFY(!View(*window.dialog).isVisible());
        QVERIFY(window.folder.Exists(kHistoryFileName));
    }

    void noSettingsFile()
    {
        StartedWindow window("");
        QCOMPARE(window.messages, QStringList{"Vemra_Test.ini error!"});
        QCOMPARE(View(*window.dialog).Item<QTabWidget>(1061)->count(), 0);
        QCOMPARE(window.dialog->m_pCurProtocol, nullptr);
        QTRY_VERIFY(!View(*window.dialog).isVisible());
        QVERIFY(!window.folder.Exists(kHistoryFileName));
        QCOMPARE(window.folder.Read(kSettingsFileName),
                 std::string("[Setting]\r\nszLanguage=CN\r\n"));
    }

    void closingSavesHistoryAndLanguage()
    {
        StartedWindow window(kTwoProtocols, "[szProtocolName0]\nCMD0=0102\nCMD4=0304\n");
        MainDialog& dialog = *window.dialog;
        QVERIFY(View(dialog).Item<QRadioButton>(1098)->isChecked());
        QCOMPARE(window.Edit(1030)->text(), QStringLiteral("0304"));
        window.Edit(1027)->setText(QStringLiteral("  a1 b2"));
        View(dialog).Item<QRadioButton>(1097)->setChecked(true);
        QTest::keyClick(&View(dialog), Qt::Key_Escape);
        QVERIFY(!View(dialog).isVisible());
        std::string history =
            "[szProtocolName0]\nCMD0=0102\nCMD4=0304\nCMD1=  a1 b2\nCMD2=\nCMD3=\n";
        for (int j = 5; j < 10; ++j)
            history += "CMD" + std::to_string(j) + "=\n";
        QCOMPARE(window.folder.Read(kHistoryFileName), history);
        QVERIFY(window.folder.Read(kSettingsFileName).find("szLanguage=CN") != std::string::npos);
    }

    void checkResultsThroughTheTabsPlugin_data()
    {
        QTest::addColumn<QString>("dllName");
        QTest::addColumn<QString>("status");
        QTest::newRow("check 3") << "Check3.dll"
                                 << " BCC ERR";
        QTest::newRow("check 7") << "Check7.dll"
                                 << "  NO DEF";
        QTest::newRow("check 0") << "PassThrough.dll"
                                 << " SUCCESS";
    }
    void checkResultsThroughTheTabsPlugin()
    {
        QFETCH(QString, dllName);
        QFETCH(QString, status);
        StartedWindow window(CatalogueOf({"Corvane.dll", dllName.toStdString()}));
        MainDialog& dialog = *window.dialog;
        View(dialog).Item<QTabWidget>(1061)->setCurrentIndex(1);
        FakePort port;
        port.reply = {0x6A, 0x82};
        dialog.Engine().SetCurrentPort(&port);
        window.Edit(1026)->setText(QStringLiteral("00B0"));
        QTest::mouseClick(View(dialog).GetDlgItem(1003), Qt::LeftButton);
        QVERIFY(WaitForWorker(dialog));
        dialog.Engine().SetCurrentPort(nullptr);
        const QStringList lines = window.LogText().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[1].startsWith("  IN│" + status + "│use "), qPrintable(lines[1]));
        // The test plug-ins pass the text through as it is.
        QVERIFY(lines[1].endsWith(QStringLiteral("│ 6A 82 ")));
        QCOMPARE(port.written, (std::vector<unsigned char>{'0', '0', 'B', '0'}));
    }
};

int RunProtocolTabTests(int argc, char** argv)
{
    ProtocolTabTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "protocol_tabs_tests.moc"
