// A simulated reader: a pseudo-terminal reachable as a COM port by the console's
// COM rule (a link COMn in the ComPorts folder beside the program), answering
// each request from a reply table, and logging what goes each way.
//
//   quillard-sim-reader [--com N] [--links DIR] [--table FILE] [--echo]
//                       [--reply HEX] [--quiet MS]
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "hollet/com_names.h"
#include "reply_table.h"

namespace {

namespace fs = std::filesystem;
volatile std::sig_atomic_t g_stop = 0;

void Stop(int)
{
    g_stop = 1;
}

struct Options {
    unsigned long com = 0;  // 0: the first free number from 200
    std::string links;
    std::string table;
    bool echo = false;
    Bytes reply{0x90, 0x00};
    int quietMs = 2;
};

int Usage()
{
    std::fprintf(stderr,
                 "usage: quillard-sim-reader [--com N] [--links DIR] [--table FILE] [--echo]\n"
                 "                           [--reply HEX] [--quiet MS]\n");
    return 2;
}

bool Parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--echo")
            options.echo = true;
        else if (arg == "--com" && hasValue)
            options.com = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--links" && hasValue)
            options.links = argv[++i];
        else if (arg == "--table" && hasValue)
            options.table = argv[++i];
        else if (arg == "--quiet" && hasValue)
            options.quietMs = std::atoi(argv[++i]);
        else if (arg == "--reply" && hasValue) {
            const auto bytes = ParseHexBytes(argv[++i]);
            if (!bytes) return false;
            options.reply = *bytes;
        } else
            return false;
    }
    return options.com <= 1024;
}

bool Waiting(int fd, int timeoutMs, short events = POLLIN)
{
    pollfd p{fd, events, 0};
    return poll(&p, 1, timeoutMs) > 0 && (p.revents & events);
}

// No one has the port open (the console closed it, or never opened it).
bool HungUp(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) && !(p.revents & POLLIN);
}

void Log(const char* direction, const Bytes& bytes)
{
    std::printf("%s %s\n", direction, HexText(bytes).c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!Parse(argc, argv, options)) return Usage();

    ReplyTable table;
    if (!options.table.empty()) {
        std::ifstream file(options.table);
        std::stringstream text;
        text << file.rdbuf();
        std::string error;
        auto parsed = file ? ReplyTable::Parse(text.str(), error) : std::nullopt;
        if (!parsed) {
            std::fprintf(stderr, "%s: %s\n", options.table.c_str(),
                         file ? error.c_str() : "cannot be read");
            return 1;
        }
        table = std::move(*parsed);
    }
    table.SetDefault(Reply{options.reply, options.echo});

    int master = -1, slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    close(slave);  // the console opens it; a close by the console is then seen here

    const fs::path links =
        options.links.empty() ? fs::path(ProgramFolder()) / "ComPorts" : fs::path(options.links);
    std::error_code error;
    fs::create_directories(links, error);
    unsigned long com = options.com ? options.com : 200;
    fs::path link;
    for (;; ++com) {
        link = links / ("COM" + std::to_string(com));
        if (com > 1024) {
            std::fprintf(stderr, "no free COM number in %s\n", links.c_str());
            return 1;
        }
        fs::remove(link, error);  // a link left by an earlier run whose pty is gone
        if (!fs::exists(fs::symlink_status(link)) &&
            (fs::create_symlink(name, link, error), !error))
            break;
        if (error && error != std::errc::file_exists) {  // a folder no link can go into
            std::fprintf(stderr, "cannot link %s: %s\n", link.c_str(), error.message().c_str());
            return 1;
        }
        if (options.com) {
            std::fprintf(stderr, "COM%lu is taken in %s\n", com, links.c_str());
            return 1;
        }
    }
    std::printf("Simulated reader on COM%lu (%s), link %s\n", com, name, link.c_str());
    std::fflush(stdout);

    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
    unsigned char buffer[4096];
    while (!g_stop) {
        if (HungUp(master)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        if (!Waiting(master, 50)) continue;
        Bytes request;
        do {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            request.insert(request.end(), buffer, buffer + n);
        } while (Waiting(master, options.quietMs));
        if (request.empty()) continue;
        Log("RX", request);

        const Reply reply = table.Answer(request);
        if (reply.silent || reply.bytes.empty()) continue;
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
        if (reply.gapMs == 0) {
            [[maybe_unused]] ssize_t n = write(master, reply.bytes.data(), reply.bytes.size());
        } else {
            for (unsigned char byte : reply.bytes) {
                [[maybe_unused]] ssize_t n = write(master, &byte, 1);
                std::this_thread::sleep_for(std::chrono::milliseconds(reply.gapMs));
            }
        }
        Log("TX", reply.bytes);
    }
    fs::remove(link, error);
    close(master);
    return 0;
}
