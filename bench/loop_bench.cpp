// Loop send through the real window (offscreen) against a pty reader that
// answers at once, ten rows checked, an interval time-out of 1 ms; beside it, a
// bare loop doing the same passes over the same kind of pty, and quillard-run
// looping over the same rows on the same pty. Also the window's event-loop
// latency while the loop runs and the log wipes, the memory over a long run, and
// the loop's throughput with the traffic log written to a file against without.
//   QT_QPA_PLATFORM=offscreen loop_bench [seconds=5] [transactions for the memory run=0]
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "hollet/com_names.h"
#include "main_dialog.h"
#include "prompt_reader.h"
#include "qt_dialog_window.h"
#include "quillard/settings.h"
#include "window_fonts.h"

namespace {

using Clock = std::chrono::steady_clock;

// The bare loop: write, wait up to 200 ms for the first byte, then read single
// bytes until 1 ms of silence; ten rows a pass, 1 ms between passes.
double BareLoopRate(const std::string& device, double seconds)
{
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    long transactions = 0;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    const auto start = Clock::now();
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (int row = 0; row < 10; ++row) {
            const unsigned char request = static_cast<unsigned char>(row + 1);
            tcflush(fd, TCIOFLUSH);
            if (write(fd, &request, 1) != 1) break;
            pollfd p{fd, POLLIN, 0};
            int wait = 200;
            unsigned char byte;
            while (poll(&p, 1, wait) > 0 && read(fd, &byte, 1) == 1)
                wait = 1;
            tcflush(fd, TCIOFLUSH);
            ++transactions;
        }
    }
    close(fd);
    return transactions / std::chrono::duration<double>(Clock::now() - start).count();
}

long RssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()))];
}

// quillard-run with the window's ten rows and time-outs for `seconds`, its log
// lines written (to /dev/null); the figures from its JSON summary.
struct RunnerFigures {
    long transactions = 0;
    long timed = 0;
    double meanRoundTripMs = 0;
};
RunnerFigures RunQuillardRun(const std::filesystem::path& folder, double seconds)
{
    std::string command = std::string("'") + QUILLARD_RUN_PATH + "' --folder '" + folder.string() +
                          "' --com 200 --char-timeout 1 --json --for " + std::to_string(seconds);
    for (int row = 1; row <= 10; ++row) {
        char text[16];
        std::snprintf(text, sizeof text, " --send %02d", row);
        command += text;
    }
    command += " 2>&1 >/dev/null";
    RunnerFigures figures;
    if (FILE* output = popen(command.c_str(), "r")) {
        char line[1024];
        while (std::fgets(line, sizeof line, output)) {
            const std::string text = line;
            const auto transactions = text.find("{\"transactions\":");
            const auto mean = text.find("\"mean\":");
            if (transactions == std::string::npos) continue;
            figures.transactions = std::atol(text.c_str() + transactions + 16);
            if (const auto timed = text.find("\"timed\":"); timed != std::string::npos)
                figures.timed = std::atol(text.c_str() + timed + 8);
            if (mean != std::string::npos)
                figures.meanRoundTripMs = std::atof(text.c_str() + mean + 7);
        }
        pclose(output);
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(DialogFont());
    double seconds = 5.0;
    long memoryRun = 0;
    int delayMs = 0;
    std::string peer;
    for (int i = 1, position = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--delay" && i + 1 < argc)
            delayMs = std::atoi(argv[++i]);
        else if (arg == "--peer" && i + 1 < argc)
            peer = argv[++i];
        else if (position++ == 0)
            seconds = std::atof(argv[i]);
        else
            memoryRun = std::atol(argv[i]);
    }

    char folderPattern[] = "/tmp/quillard-bench-XXXXXX";
    const std::filesystem::path folder = mkdtemp(folderPattern);
    std::filesystem::create_directories(folder / "Protocols");
    std::filesystem::create_symlink(CORVANE_PATH, folder / "Protocols" / "Corvane.so");
    std::ofstream(folder / kSettingsFileName)
        << "[Setting]\nnProtocolCount=1\nszProtocolName0=Direct\n[szProtocolName0]\n"
           "szDllName=Corvane.dll\nbHexMode=TRUE\nnDevCount=0\n";
    SetAppFolder(folder.string());

    PromptReader reader(delayMs);
    std::filesystem::create_symlink(reader.SlavePath(), folder / "COM200");
    std::filesystem::create_directories(folder / "ComPorts");  // quillard-run's link folder
    std::filesystem::create_symlink(reader.SlavePath(), folder / "ComPorts" / "COM200");
    SetDefaultComPortRoots({.linkFolder = folder.string()});

    const double bareRate = BareLoopRate(reader.SlavePath(), seconds);

    MainDialog dialog;
    dialog.SetMessageHandler(
        [](const std::string& text) { std::fprintf(stderr, "message: %s\n", text.c_str()); });
    dialog.Create();
    auto& view = static_cast<QtDialogWindow&>(dialog.Window());
    view.Item<QComboBox>(1058)->setEditText(QStringLiteral("COM200"));
    view.Item<QLineEdit>(1087)->setText(QStringLiteral("1"));
    dialog.OnCommand(1015);
    for (int row = 0; row < MainDialog::kRows; ++row) {
        view.Item<QLineEdit>(MainDialog::CommandId(row))
            ->setText(QStringLiteral("%1").arg(row + 1, 2, 10, QLatin1Char('0')));
        view.Item<QCheckBox>(MainDialog::LoopCheckId(row))->setChecked(true);
    }
    // Start close to the wipe, so that the run crosses it.
    if (!std::getenv("NOFILL"))
        for (int i = 0; i < 6200; ++i)
            dialog.AppendLog(std::string(98, '.'));

    // The event loop's lateness: a 10 ms timer, measured against the clock.
    std::vector<double> lateness;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        lateness.push_back(std::max(0.0, sinceTick.nsecsElapsed() / 1e6 - 10.0));
        sinceTick.restart();
    });

    const long before = reader.Requests();
    const auto start = Clock::now();
    dialog.OnCommand(1014);
    sinceTick.start();
    ticker.start(10);
    QEventLoop wait;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &wait, &QEventLoop::quit);
    wait.exec();
    const long counted = reader.Requests() - before;
    const double windowRate = counted / std::chrono::duration<double>(Clock::now() - start).count();
    ticker.stop();

    // The round trips the log shows ("use %6dms").
    const QStringList logged = view.Item<QPlainTextEdit>(1000)->toPlainText().split('\n');
    double roundTrips = 0;
    int roundTripCount = 0;
    for (const QString& line : logged) {
        const qsizetype use = line.indexOf(QStringLiteral("│use "));
        if (use < 0 || !line.contains(QStringLiteral("SUCCESS"))) continue;
        roundTrips += line.mid(use + 5, 6).trimmed().toDouble();
        ++roundTripCount;
    }
    std::printf("reader answer time: %d ms\n", delayMs);
    std::printf("round trip, window (log, mean of %d): %.2f ms\n", roundTripCount,
                roundTripCount ? roundTrips / roundTripCount : 0.0);
    std::printf("loop throughput, window (10 rows, interval 1 ms): %.0f transactions/s\n",
                windowRate);
    std::printf("loop throughput, bare C loop, same waits:        %.0f transactions/s (%.0f%%)\n",
                bareRate, 100.0 * windowRate / bareRate);
    std::printf(
        "event-loop lateness while looping: p50 %.2f ms, p99 %.2f ms, max %.2f ms (%zu ticks)\n",
        Percentile(lateness, 0.5), Percentile(lateness, 0.99), Percentile(lateness, 1.0),
        lateness.size());

    if (memoryRun > 0) {
        long mark = reader.Requests();
        const long first = mark;
        std::printf("memory: %ld kB at the start\n", RssKb());
        while (reader.Requests() - first < memoryRun) {
            QEventLoop step;
            QTimer::singleShot(1000, &step, &QEventLoop::quit);
            step.exec();
            if (reader.Requests() - mark >= memoryRun / 10) {
                mark = reader.Requests();
                std::printf("memory: %ld kB after %ld transactions\n", RssKb(), mark - first);
            }
        }
    }
    // The same running loop with the traffic log written to a file and
    // without, in turns of `seconds` / 2 each, so that both meet the same load
    // of the machine.
    const std::string logFile = (folder / "traffic.log").string();
    dialog.SetFileNameChooser([&logFile](const std::string&) { return logFile; });
    long requests[2] = {0, 0};
    double spent[2] = {0, 0};
    for (int turn = 0; turn < 6; ++turn) {
        const bool toFile = turn % 2 == 1;
        if (toFile != dialog.LoggingToFile()) dialog.OnCommand(MainDialog::kLogFileCommand);
        const long first = reader.Requests();
        const auto from = Clock::now();
        QEventLoop step;
        QTimer::singleShot(static_cast<int>(seconds * 500), &step, &QEventLoop::quit);
        step.exec();
        requests[toFile] += reader.Requests() - first;
        spent[toFile] += std::chrono::duration<double>(Clock::now() - from).count();
    }
    if (dialog.LoggingToFile()) dialog.OnCommand(MainDialog::kLogFileCommand);
    const double offRate = requests[0] / spent[0], onRate = requests[1] / spent[1];
    std::printf(
        "loop throughput, window, log file off: %.0f transactions/s, on: %.0f "
        "transactions/s (%.1f%%; %ld kB written)\n",
        offRate, onRate, 100.0 * onRate / offRate,
        static_cast<long>(std::filesystem::file_size(logFile) / 1024));

    dialog.OnCommand(1014);
    dialog.OnCommand(1015);  // the port is free for quillard-run and the peer
    const RunnerFigures runner = RunQuillardRun(folder, seconds);
    std::printf("round trip, quillard-run (mean of %ld): %.2f ms\n", runner.timed,
                runner.meanRoundTripMs);
    std::printf("loop throughput, quillard-run (10 rows, interval 1 ms): %.0f transactions/s\n",
                runner.transactions / seconds);
    if (!peer.empty()) {
        std::fflush(stdout);
        const std::string command = "/usr/bin/python3 '" + peer + "' '" + reader.SlavePath() +
                                    "' " + std::to_string(seconds);
        if (FILE* output = popen(command.c_str(), "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, output))
                std::fputs(line, stdout);
            pclose(output);
        }
    }
    view.reject();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
