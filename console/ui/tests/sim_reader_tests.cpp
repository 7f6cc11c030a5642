// The console against the simulated reader program, as a newcomer would use it:
// the port is listed, opens, and a Send is answered; the reader may vanish.
#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QTest>

#include "started_window.h"

namespace {

// The simulated reader, started with its COM link in a folder of the test's.
struct SimReader {
    explicit SimReader(const std::string& links)
    {
        process.start(QStringLiteral(SIM_READER_PATH),
                      {"--links", QString::fromStdString(links), "--com", "201"});
        process.waitForReadyRead(5000);
        started = process.readLine().startsWith("Simulated reader on COM201");
    }
    ~SimReader()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
    QProcess process;
    bool started = false;
};

}  // namespace

class SimReaderTests : public QObject {
    Q_OBJECT

private slots:
    void newcomerOpensTheSimulatedPortAndSends()
    {
        TestProgramFolder folder;
        folder.Write(kSettingsFileName, ChineseCatalogue());
        const std::string links = folder.Path("ComPorts");
        SimReader reader(links);
        QVERIFY(reader.started);
        SetDefaultComPortRoots({.devFolder = folder.Path("dev"),
                                .sysTtyFolder = folder.Path("sys"),
                                .linkFolder = links});
        QStringList messages;
        {
            MainDialog dialog;
            dialog.SetMessageHandler(
                [&](const std::string& text) { messages << QString::fromStdString(text); });
            dialog.Create();
            QCOMPARE(View(dialog).Item<QComboBox>(1058)->currentText(), QStringLiteral("COM201"));
            auto* log = View(dialog).Item<QPlainTextEdit>(1000);
            for (int round = 0; round < 2; ++round) {  // the reader takes a reopened port too
                dialog.OnCommand(1015);
                QVERIFY(dialog.Comm().IsOpen());
                View(dialog).Item<QLineEdit>(1026)->setText(QStringLiteral("00 A4 04 00"));
                dialog.OnCommand(1003);
                QVERIFY(WaitForWorker(dialog));
                QVERIFY2(log->toPlainText().contains(QStringLiteral("  IN│ SUCCESS│")),
                         qPrintable(log->toPlainText()));
                QVERIFY(log->toPlainText().contains(QStringLiteral("│ 90 00 \n")));
                dialog.OnCommand(1015);
                dialog.ClearLog();
            }

            // The reader vanishes in the middle of a loop: the loop goes on,
            // logs what happens, and stops as usual.
            dialog.OnCommand(1015);
            View(dialog).Item<QCheckBox>(1046)->setChecked(true);
            View(dialog).Item<QLineEdit>(1036)->setText(QStringLiteral("20"));
            dialog.OnCommand(1014);
            QTRY_VERIFY(log->toPlainText().contains(QStringLiteral("SUCCESS│use")));
            reader.process.kill();
            reader.process.waitForFinished(5000);
            QTest::qWait(200);
            QVERIFY(dialog.GetLooping());
            dialog.OnCommand(1014);
            QTRY_VERIFY(!dialog.LoopWorkerAlive());
            dialog.OnCommand(1015);
            QVERIFY(!dialog.Comm().IsOpen());
        }
        SetDefaultComPortRoots({});
        QVERIFY(messages.isEmpty());
    }
};

int RunSimReaderTests(int argc, char** argv)
{
    SimReaderTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "sim_reader_tests.moc"
