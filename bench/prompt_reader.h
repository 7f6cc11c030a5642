// A reader on a pseudo-terminal that answers every request with 90 00 as soon
// as it comes (or after a set delay), and counts the requests; requests whose
// first byte is the silent one get no answer.
#pragma once

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class PromptReader {
public:
    explicit PromptReader(int delayMs = 0, int silentFirstByte = -1)
    {
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        openpty(&m_master, &m_slave, name, &raw, nullptr);
        m_slavePath = name;
        m_thread = std::thread([this, delayMs, silentFirstByte] {
            unsigned char buffer[4096];
            const unsigned char reply[] = {0x90, 0x00};
            while (!m_stop) {
                pollfd fd{m_master, POLLIN, 0};
                if (poll(&fd, 1, 50) <= 0) continue;
                const ssize_t got = read(m_master, buffer, sizeof buffer);
                if (got <= 0) continue;
                ++m_requests;
                if (buffer[0] == silentFirstByte) continue;
                if (delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                [[maybe_unused]] ssize_t n = write(m_master, reply, sizeof reply);
            }
        });
    }
    ~PromptReader() { Unplug(); }
    // Gone, as a reader pulled out: both ends of its terminal close.
    void Unplug()
    {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_master >= 0) close(m_master);
        if (m_slave >= 0) close(m_slave);
        m_master = m_slave = -1;
    }
    PromptReader(const PromptReader&) = delete;
    PromptReader& operator=(const PromptReader&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    long Requests() const { return m_requests; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_requests{0};
    std::thread m_thread;
};
