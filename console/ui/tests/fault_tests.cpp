// Faults from outside, end to end through the window: a plug-in reporting
// garbage lengths, a settings file of random bytes, files that cannot be
// written, a reader that floods the line.
#include <sys/stat.h>

#include <QTabWidget>
#include <QTest>
#include <random>

#include "started_window.h"

class FaultTests : public QObject {
    Q_OBJECT

private slots:
    void pluginWithGarbageLengths()
    {
        std::string settings = ChineseCatalogue();
        settings.replace(settings.find("Corvane.dll"), 11, "Garbage.dll");
        StartedWindow window(settings);
        QVERIFY(window.OpenReaderPort());
        window.Edit(1026)->setText(QStringLiteral("F1"));  // a frame of -1 bytes: nothing sent
        window.dialog->OnCommand(1003);
        QVERIFY(WaitForWorker(*window.dialog));
        QCOMPARE(window.LogText(), QString());
        window.Edit(1026)->setText(QStringLiteral("01"));  // a reply longer than read
        window.dialog->OnCommand(1003);
        QVERIFY(WaitForWorker(*window.dialog));
        QVERIFY2(window.LogText().contains(QStringLiteral("  IN│ LEN ERR│use ")) &&
                     window.LogText().contains(QStringLiteral("ms│ ...")),
                 qPrintable(window.LogText()));
        QCOMPARE(window.reader->Requests().size(), std::size_t{1});
        QVERIFY(window.messages.isEmpty());
    }

    void settingsOfRandomBytes()
    {
        std::mt19937 random(11);
        for (int round = 0; round < 5; ++round) {
            std::string bytes(4096, '\0');
            for (char& c : bytes)
                c = static_cast<char>(random());
            StartedWindow window(bytes);
            QCOMPARE(window.messages, QStringList{"Vemra_Test.ini error!"});
            QVERIFY(window.dialog->QuitRequested());
            QTRY_VERIFY(!View(*window.dialog).isVisible());
        }
    }

    // History and settings that cannot be written: the console goes on and
    // says nothing; the files stay as they were.
    void filesThatCannotBeWritten()
    {
        StartedWindow window(ChineseCatalogue(), "[szProtocolName0]\nCMD0=0102\n");
        const std::string settings = window.folder.Read(kSettingsFileName);
        chmod(window.folder.Path(kSettingsFileName).c_str(), 0444);
        chmod(window.folder.Path(kHistoryFileName).c_str(), 0444);
        window.Edit(1026)->setText(QStringLiteral("0A0B"));
        View(*window.dialog).Item<QTabWidget>(1061)->setCurrentIndex(1);
        View(*window.dialog).Item<QTabWidget>(1061)->setCurrentIndex(0);
        QCOMPARE(window.Edit(1026)->text(), QStringLiteral("0A0B"));  // kept in memory
        window.dialog->m_nLanguage = 1;
        window.dialog->UpdateData(false);
        View(*window.dialog).reject();
        QVERIFY(window.messages.isEmpty());
        QCOMPARE(window.folder.Read(kHistoryFileName),
                 std::string("[szProtocolName0]\nCMD0=0102\n"));
        QCOMPARE(window.folder.Read(kSettingsFileName), settings);
    }

    // 5000 bytes at once: the read stops at 1024, the rest is purged, and the
    // next transaction starts clean.
    void readerFloodsTheLine()
    {
        StartedWindow window(ChineseCatalogue(), {}, true, TestReader::Bytes(5000, 0x55));
        QVERIFY(window.OpenReaderPort());
        window.Edit(1026)->setText(QStringLiteral("01"));
        for (int send = 0; send < 2; ++send) {
            window.dialog->ClearLog();
            window.dialog->OnCommand(1003);
            QVERIFY(WaitForWorker(*window.dialog));
            const QStringList lines = window.LogText().split('\n');
            QVERIFY2(lines.size() == 4 && lines[1].startsWith(QStringLiteral("  IN│ SUCCESS│")),
                     qPrintable(window.LogText().left(300)));
            QCOMPARE(lines[1].mid(lines[1].lastIndexOf(QStringLiteral("│ ")) + 2).size(), 3 * 1024);
        }
    }
};

int RunFaultTests(int argc, char** argv)
{
    FaultTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "fault_tests.moc"
