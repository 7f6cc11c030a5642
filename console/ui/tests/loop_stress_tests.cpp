// The loop worker, port close and window close at random moments: 200 rounds
// against a reader with reply delays. No round may deadlock (a watchdog ends
// the program), and the reader must see strictly alternating request and reply.
#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <condition_variable>
#include <cstdio>
#include <random>

#include "started_window.h"

namespace {

// Ends the program if the test has not finished in time: a deadlock.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : m_thread([this, limit] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
                  std::fprintf(stderr, "watchdog: no progress in %lld s, a deadlock\n",
                               static_cast<long long>(limit.count()));
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

}  // namespace

class LoopStressTests : public QObject {
    Q_OBJECT

private slots:
    void randomStopsClosesAndReopens()
    {
        Watchdog watchdog(std::chrono::seconds(600));
        std::mt19937 random(2026);
        auto pick = [&](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        int overlaps = 0;
        int requests = 0;
        for (int round = 0; round < 200; ++round) {
            StartedWindow window(ChineseCatalogue(), {}, false);
            window.reader->SetDelay(std::chrono::milliseconds(0), std::chrono::milliseconds(15));
            MainDialog& dialog = *window.dialog;
            QVERIFY2(window.OpenReaderPort(),
                     qPrintable(window.messages.join(QStringLiteral(" | "))));
            for (int row = 0; row < 3; ++row) {
                if (row == 0 || pick(0, 1)) {
                    View(dialog)
                        .Item<QLineEdit>(MainDialog::CommandId(row))
                        ->setText(QStringLiteral("0%1").arg(row + 1));
                    View(dialog).Item<QCheckBox>(MainDialog::LoopCheckId(row))->setChecked(true);
                }
            }
            dialog.OnCommand(1014);
            QVERIFY(dialog.GetLooping());
            QTest::qWait(pick(0, 30));
            switch (pick(0, 3)) {
                case 0:  // stop, then a Send as soon as the window lets one through
                    dialog.OnCommand(1014);
                    QTest::qWait(pick(0, 20));
                    dialog.OnCommand(1003);
                    break;
                case 1:  // close the port under the loop, reopen it, loop again
                    dialog.OnCommand(1015);
                    QTest::qWait(30);
                    dialog.OnCommand(1015);
                    dialog.OnCommand(1014);
                    QTest::qWait(pick(0, 30));
                    break;
                case 2:  // close the window while the loop runs
                    View(dialog).reject();
                    break;
                case 3:  // stop, and close the port while the worker may still send
                    dialog.OnCommand(1014);
                    dialog.OnCommand(1015);
                    break;
            }
            window.dialog.reset();
            overlaps += window.reader->Overlaps();
            requests += static_cast<int>(window.reader->Requests().size());
        }
        QCOMPARE(overlaps, 0);
        QVERIFY(requests > 200);
        std::printf("stress: %d requests in 200 rounds\n", requests);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LoopStressTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "loop_stress_tests.moc"
