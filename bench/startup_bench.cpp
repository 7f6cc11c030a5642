// Start-up time to a shown main window: runs itself as a child process again and
// again and times each from the start of the process to the first event-loop
// turn after the window is shown. Run with QT_QPA_PLATFORM=offscreen (or on a
// display). Usage: startup_bench [runs]
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "main_dialog.h"
#include "window_fonts.h"

namespace {

int RunChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(DialogFont());
    MainDialog dialog;
    dialog.SetMessageHandler([](const std::string&) {});
    dialog.Create();
    QTimer::singleShot(0, [] {
        std::puts("shown");
        std::fflush(stdout);
        QApplication::exit(0);
    });
    return QApplication::exec();
}

double TimeOneStart(const char* self)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string command = std::string("'") + self + "' --child";
    FILE* child = popen(command.c_str(), "r");
    if (!child) return -1;
    char line[64] = {};
    double ms = -1;
    if (std::fgets(line, sizeof line, child) && std::strncmp(line, "shown", 5) == 0)
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                 .count();
    pclose(child);
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return RunChild(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = TimeOneStart(argv[0]);
        if (ms < 0) {
            std::fprintf(stderr, "the console did not start\n");
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("start-up to a shown window: median %.1f ms, min %.1f ms, max %.1f ms (%d runs)\n",
                times[times.size() / 2], times.front(), times.back(), runs);
    return 0;
}
