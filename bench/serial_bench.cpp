// The transaction engine over a real pseudo-terminal whose far end answers at
// once: the time each transaction takes beyond the interval time-out that ends
// its reply, median and p99 over 1000 transactions.
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "corvane_api.h"
#include "hollet/CxComm.h"
#include "hollet/com_names.h"
#include "quillard/transaction.h"

namespace {

class CountingSink : public TransactionSink {
public:
    void AppendLog(const std::string&) override { ++lines; }
    void ShowMessage(const std::string& text) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    int lines = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    const int transactions = argc > 1 ? std::atoi(argv[1]) : 1000;
    constexpr unsigned long kInterval = 1;

    int master = -1, slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) return 1;
    close(slave);
    char folder[] = "/tmp/quillard-bench-XXXXXX";
    const std::string links = mkdtemp(folder);
    std::filesystem::create_symlink(name, links + "/COM200");
    SetDefaultComPortRoots({.linkFolder = links});

    // The reader: answers 90 00 to every frame as soon as it has it.
    std::atomic<bool> running{true};
    std::thread reader([&] {
        unsigned char buffer[4096];
        const unsigned char answer[] = {0x90, 0x00};
        while (running) {
            pollfd fd{master, POLLIN, 0};
            if (poll(&fd, 1, 50) <= 0) continue;
            if (read(master, buffer, sizeof buffer) <= 0) {
                // No one has the port open yet (or any more).
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            [[maybe_unused]] const ssize_t written = write(master, answer, sizeof answer);
        }
    });

    CxComm comm;
    if (!comm.Open(200, "115200,n,8,1")) return 1;
    CountingSink sink;
    TransactionEngine engine(sink);
    engine.SetProtocolApi(LoadCorvane());
    engine.SetCurrentPort(&comm);
    engine.SetCharTimeout(kInterval);

    const std::string command = "00A4040008A000000003000000";
    std::vector<double> overheads;
    int failures = 0;
    for (int i = 0; i < transactions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (engine.Transact(command.data(), static_cast<int>(command.size()), 1000) != 0)
            ++failures;
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        overheads.push_back(took.count() - static_cast<double>(kInterval));
    }
    running = false;
    reader.join();
    comm.Close();
    close(master);
    std::filesystem::remove_all(links);

    std::sort(overheads.begin(), overheads.end());
    const auto at = [&](double q) {
        return overheads[static_cast<std::size_t>(q * static_cast<double>(overheads.size() - 1))];
    };
    std::printf("transactions: %d, failed: %d, interval time-out: %lu ms\n", transactions, failures,
                kInterval);
    std::printf("overhead beyond the interval: median %.3f ms, p99 %.3f ms, max %.3f ms\n", at(0.5),
                at(0.99), overheads.back());
    return failures ? 1 : 0;
}
