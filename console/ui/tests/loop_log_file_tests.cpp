// Unattended loops: the traffic log in a file over a long loop while the
// window's log is wiped, a file that fails under a running loop, and the loop
// statistics against a count of the logged lines. The reader on the pty
// answers at once.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "hollet/com_names.h"
#include "program_folder.h"
#include "prompt_reader.h"
#include "quillard/log_texts.h"
#include "window_view.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSilent = 0xEE;  // requests starting with it get no answer

// A started window with its port open on the prompt reader as COM200 (interval
// time-out 1 ms), its messages recorded and its log file named by the test.
struct PromptWindow {
    PromptWindow() : reader(0, kSilent)
    {
        folder.Write(kSettingsFileName, kTwoProtocols);
        links = folder.Path("links");
        fs::create_directory(links);
        fs::create_symlink(reader.SlavePath(), fs::path(links) / "COM200");
        SetDefaultComPortRoots({.devFolder = links, .sysTtyFolder = links, .linkFolder = links});
        dialog = std::make_unique<MainDialog>();
        dialog->SetMessageHandler(
            [this](const std::string& text) { messages << QString::fromStdString(text); });
        dialog->SetFileNameChooser([this](const std::string&) { return logPath; });
        dialog->Create();
        View(*dialog).Item<QComboBox>(1058)->setEditText(QStringLiteral("COM200"));
        View(*dialog).Item<QLineEdit>(1087)->setText(QStringLiteral("1"));
        dialog->OnCommand(1015);
    }
    ~PromptWindow()
    {
        dialog.reset();
        SetDefaultComPortRoots({});
    }
    // Row k sends commands[k] with its time-out; the other rows are unchecked.
    void SetRows(const std::vector<std::pair<QString, QString>>& rows)
    {
        for (int row = 0; row < MainDialog::kRows; ++row) {
            const bool used = row < static_cast<int>(rows.size());
            View(*dialog).Item<QCheckBox>(MainDialog::LoopCheckId(row))->setChecked(used);
            if (!used) continue;
            View(*dialog).Item<QLineEdit>(MainDialog::CommandId(row))->setText(rows[row].first);
            View(*dialog).Item<QLineEdit>(MainDialog::TimeoutId(row))->setText(rows[row].second);
        }
    }
    template <class Done>
    bool ServeUntil(Done done, int timeoutMs = 120000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }
    QString LogText() const { return View(*dialog).Item<QPlainTextEdit>(1000)->toPlainText(); }
    std::vector<std::string> FileLines() const
    {
        std::ifstream file(logPath);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    TestProgramFolder folder;
    PromptReader reader;
    std::string links;
    std::unique_ptr<MainDialog> dialog;
    QStringList messages;
    std::string logPath;
};

// What the file says of its transactions: the lines after the time stamp, and
// where the traffic ends (the summary follows).
struct LoggedTransaction {
    std::string out, in;
};
std::vector<LoggedTransaction> Transactions(const std::vector<std::string>& lines, bool* inOrder)
{
    std::vector<LoggedTransaction> found;
    *inOrder = true;
    constexpr std::size_t kStamp = 24;  // "2024-05-01 13:45:06.123 "
    std::size_t at = 0;
    while (at < lines.size() && lines[at].find(" OUT│") == std::string::npos)
        ++at;
    for (; at + 2 < lines.size() && lines[at].find(" OUT│") != std::string::npos; at += 3) {
        if (lines[at].size() < kStamp || lines[at + 1].find("  IN│") != kStamp ||
            lines[at + 2].substr(kStamp) != log_texts::kSeparator) {
            *inOrder = false;
            break;
        }
        found.push_back({lines[at].substr(kStamp), lines[at + 1].substr(kStamp)});
    }
    return found;
}

}  // namespace

class LoopLogFileTests : public QObject {
    Q_OBJECT

private slots:
    // 50 000 transactions: every OUT, IN and separator line in the file, in
    // order, while the window's log is wiped over and over and cleared once;
    // the statistics count the same transactions.
    void aLongLoopLeavesEveryLineInTheFileInOrder()
    {
        PromptWindow window;
        std::vector<std::pair<QString, QString>> rows;
        for (int row = 1; row <= MainDialog::kRows; ++row)
            rows.push_back({QStringLiteral("%1").arg(row, 2, 10, QLatin1Char('0')), "200"});
        window.SetRows(rows);
        window.logPath = window.folder.Path("traffic.log");
        window.dialog->OnCommand(MainDialog::kLogFileCommand);
        QVERIFY(window.dialog->LoggingToFile());
        window.dialog->OnCommand(MainDialog::kStatisticsCommand);

        constexpr long kTransactions = 50000;
        QElapsedTimer took;
        took.start();
        window.dialog->OnCommand(1014);
        QVERIFY(window.dialog->GetLooping());
        QVERIFY(window.ServeUntil([&] { return window.reader.Requests() >= kTransactions / 2; }));
        window.dialog->OnCommand(1089);  // Clear
        QVERIFY(window.ServeUntil([&] { return window.reader.Requests() >= kTransactions; }));
        window.dialog->OnCommand(1014);
        QVERIFY(WaitForWorker(*window.dialog));
        std::printf("%ld transactions in %.1f s\n", window.reader.Requests(),
                    took.elapsed() / 1000.0);
        window.dialog->OnCommand(MainDialog::kLogFileCommand);  // stopped: the file is whole
        QVERIFY(!window.dialog->LoggingToFile());
        QVERIFY(window.messages.isEmpty());

        const std::vector<std::string> lines = window.FileLines();
        QVERIFY(lines.size() > 10);
        QCOMPARE(QString::fromStdString(lines[0]), QStringLiteral("Quillard traffic log"));
        QVERIFY(std::find(lines.begin(), lines.end(), "Character time-out: 1 ms") != lines.end());
        bool inOrder = false;
        const std::vector<LoggedTransaction> logged = Transactions(lines, &inOrder);
        QVERIFY(inOrder);
        const long count = static_cast<long>(logged.size());
        QCOMPARE(count, window.reader.Requests());
        QCOMPARE(count % MainDialog::kRows, 0L);  // a stop ends a loop between passes
        for (long i = 0; i < count; ++i) {
            char data[8];
            std::snprintf(data, sizeof data, "%02ld ", i % MainDialog::kRows + 1);
            if (logged[i].out != " OUT│ SUCCESS│            │ " + std::string(data) ||
                logged[i].in.rfind("  IN│ SUCCESS│use ", 0) != 0)
                QFAIL(qPrintable(QStringLiteral("transaction %1 out of order").arg(i)));
        }
        // The window kept a small part of it: its log was wiped many times.
        const QString shown = View(*window.dialog).Item<QPlainTextEdit>(1000)->toPlainText();
        QVERIFY(shown.size() < 640000);
        QVERIFY(count * 160 > 5 * 630000);

        const LoopStatistics& statistics = window.dialog->Statistics();
        QCOMPARE(statistics.Total().Transactions(), static_cast<long long>(count));
        QCOMPARE(statistics.Total().Count(TransactOutcome::kSuccess),
                 static_cast<long long>(count));
        QCOMPARE(statistics.Passes(), static_cast<long long>(count / MainDialog::kRows));
        for (const LoopStatistics::Row& row : statistics.Rows())
            QCOMPARE(row.tally.Transactions(), static_cast<long long>(count / MainDialog::kRows));
        // The summary closes the file, with the same figures.
        const std::string summary = "Passes: " + std::to_string(count / MainDialog::kRows) +
                                    "    Transactions: " + std::to_string(count);
        QVERIFY(std::find(lines.begin() + 3 * count, lines.end(), summary) != lines.end());
        QVERIFY(std::find(lines.begin(), lines.end(), "Loop statistics (stopped)") != lines.end());
    }

    void aFileThatFailsStopsTheLoggingOnceAndTheLoopGoesOn_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QString>("told");
        QTest::newRow("the file deleted") << true << QStringLiteral("has been deleted or moved");
        QTest::newRow("the disk full") << false << QStringLiteral("No space left on device");
    }
    void aFileThatFailsStopsTheLoggingOnceAndTheLoopGoesOn()
    {
        QFETCH(bool, deleted);
        QFETCH(QString, told);
        PromptWindow window;
        window.SetRows({{"01", "200"}, {"02", "200"}});
        window.logPath = deleted ? window.folder.Path("gone.log") : std::string("/dev/full");
        window.dialog->OnCommand(MainDialog::kLogFileCommand);
        window.dialog->OnCommand(1014);
        QVERIFY(window.ServeUntil([&] { return window.reader.Requests() >= 200; }));
        if (deleted) fs::remove(window.logPath);
        QVERIFY(window.ServeUntil([&] { return !window.messages.isEmpty(); }, 10000));
        const long atMessage = window.reader.Requests();
        QVERIFY(window.ServeUntil([&] { return window.reader.Requests() >= atMessage + 500; }));
        QVERIFY(window.dialog->GetLooping());
        QCOMPARE(window.messages.size(), 1);
        QVERIFY2(window.messages[0].contains(told), qPrintable(window.messages[0]));
        QVERIFY(!window.dialog->LoggingToFile());
        window.dialog->OnCommand(1014);
        QVERIFY(WaitForWorker(*window.dialog));
        QCOMPARE(window.messages.size(), 1);
    }

    // The reader is pulled out under a running loop and comes back: the file
    // says when it went and when it came back, and holds the run of failures
    // in between as its first transaction and one "repeated" line, while the
    // window's log keeps every line. Without the reader, the loop sends a few
    // requests a second, not hundreds.
    void aReaderPulledOutAndBackIsToldOnceAndItsFailuresFolded()
    {
        PromptWindow window;
        window.SetRows({{"01", "200"}});
        window.logPath = window.folder.Path("replug.log");
        window.dialog->OnCommand(MainDialog::kLogFileCommand);
        window.dialog->OnCommand(1014);
        QVERIFY(window.ServeUntil([&] { return window.reader.Requests() >= 50; }));
        window.reader.Unplug();
        QElapsedTimer away;
        away.start();
        window.ServeUntil([] { return false; }, 1500);
        const auto writeErrors = [&] { return window.LogText().count(QStringLiteral("WRIT ERR")); };
        const long failedWhileAway = writeErrors();
        QVERIFY2(failedWhileAway >= 2, qPrintable(QString::number(failedWhileAway)));
        QVERIFY2(failedWhileAway <= away.elapsed() / 250 + 3,
                 qPrintable(QString::number(failedWhileAway)));

        PromptReader back;
        fs::remove(fs::path(window.links) / "COM200");
        fs::create_symlink(back.SlavePath(), fs::path(window.links) / "COM200");
        QVERIFY(window.ServeUntil([&] { return back.Requests() >= 20; }, 10000));
        window.dialog->OnCommand(1014);
        QVERIFY(WaitForWorker(*window.dialog));
        window.dialog->OnCommand(MainDialog::kLogFileCommand);

        std::vector<std::string> told, failed, repeated;
        for (const std::string& line : window.FileLines()) {
            if (line.find("COM200: ") != std::string::npos) told.push_back(line.substr(24));
            if (line.find("│WRIT ERR│") != std::string::npos ||
                line.find("│ NO DATA│") != std::string::npos)
                failed.push_back(line);
            if (line.find("… repeated") != std::string::npos) repeated.push_back(line);
        }
        QCOMPARE(told.size(), 2u);
        QVERIFY2(told[0].starts_with("COM200: the device has gone"), told[0].c_str());
        QCOMPARE(told[1], std::string("COM200: the device is back"));
        // the reply under way when it went, the first write error, and its run
        std::string shown;
        for (const std::string& line : failed)
            shown += "\n" + line;
        QVERIFY2(failed.size() <= 2, shown.c_str());
        QCOMPARE(repeated.size(), 1u);
        QVERIFY2(writeErrors() > static_cast<long>(failed.size()), repeated[0].c_str());
        QVERIFY(window.messages.isEmpty());
    }

    // Rows that succeed and rows that get no reply: the
    // statistics per row agree with what the file logged, their round trips
    // with the log's times, and the reader's times lie inside the round trip.
    void theStatisticsMatchACountOfTheLoggedLines()
    {
        PromptWindow window;
        window.SetRows({{"01", "200"}, {"EE", "2"}, {"03", "200"}});
        window.logPath = window.folder.Path("count.log");
        window.dialog->OnCommand(MainDialog::kLogFileCommand);
        window.dialog->OnCommand(1014);
        QVERIFY(window.ServeUntil([&] { return window.reader.Requests() >= 600; }));
        window.dialog->OnCommand(1014);
        QVERIFY(WaitForWorker(*window.dialog));
        window.dialog->OnCommand(MainDialog::kLogFileCommand);

        bool inOrder = false;
        const std::vector<LoggedTransaction> logged = Transactions(window.FileLines(), &inOrder);
        QVERIFY(inOrder);
        std::map<std::pair<std::string, std::string>, long long> counted;  // (data, status)
        std::map<std::string, std::pair<int, int>> loggedTimes;            // data → min, max ms
        for (const LoggedTransaction& t : logged) {
            const std::string data = t.out.substr(t.out.rfind("│ ") + 4);
            counted[{data, t.in.substr(t.in.find("│") + 3, 8)}]++;
            const int ms = std::stoi(t.in.substr(t.in.find("use ") + 4, 6));
            auto& range = loggedTimes.try_emplace(data, ms, ms).first->second;
            range = {std::min(range.first, ms), std::max(range.second, ms)};
        }
        const LoopStatistics& statistics = window.dialog->Statistics();
        QCOMPARE(statistics.Total().Transactions(), static_cast<long long>(logged.size()));
        const char* data[] = {"01 ", "EE ", "03 "};
        for (int row = 0; row < 3; ++row) {
            const LoopStatistics::Row& r = statistics.Rows()[row];
            QCOMPARE(r.number, row + 1);
            QCOMPARE(r.tally.Count(TransactOutcome::kSuccess), (counted[{data[row], " SUCCESS"}]));
            QCOMPARE(r.tally.Count(TransactOutcome::kNoData), (counted[{data[row], " NO DATA"}]));
            QVERIFY(r.tally.Transactions() > 100);
            const DurationFigures rt = r.tally.RoundTrips().Figures();
            QCOMPARE(static_cast<int>(rt.minMs), loggedTimes[data[row]].first);
            QCOMPARE(static_cast<int>(rt.maxMs), loggedTimes[data[row]].second);
            if (row == 1) {
                QCOMPARE(r.firstByte.Count(), 0u);  // never a reply byte
                continue;
            }
            QCOMPARE(r.firstByte.Count(),
                     static_cast<std::size_t>(r.tally.Count(TransactOutcome::kSuccess)));
            const DurationFigures first = r.firstByte.Figures(), last = r.lastByte.Figures();
            QVERIFY(first.minMs <= last.minMs && last.maxMs <= rt.maxMs);
        }
        QCOMPARE(statistics.Rows()[1].tally.Count(TransactOutcome::kSuccess), 0LL);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LoopLogFileTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "loop_log_file_tests.moc"
