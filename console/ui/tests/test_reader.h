// A reader at the far end of a pseudo-terminal that the console reaches as a
// COM port: it answers each request after a delay, records the requests in
// order, and counts overlaps: a request that arrives before the previous one
// has been answered.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "hollet/com_names.h"

class TestReader {
public:
    static constexpr unsigned long kComNumber = 200;
    using Bytes = std::vector<unsigned char>;

    // The COM list then holds this reader alone. A reader that does not hold
    // the line sees when the port is closed, and forgets a request it was
    // still answering.
    explicit TestReader(Bytes reply = {0x90, 0x00}, bool holdLine = true)
        : m_reply(std::move(reply))
    {
        char folder[] = "/tmp/quillard-reader-XXXXXX";
        m_folder = mkdtemp(folder);
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        openpty(&m_master, &m_slave, name, &raw, nullptr);
        // A reply the line cannot take whole is cut, never waited for.
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        if (!holdLine) {
            close(m_slave);
            m_slave = -1;
        }
        std::filesystem::create_symlink(name, m_folder + "/COM" + std::to_string(kComNumber));
        SetDefaultComPortRoots({.devFolder = m_folder + "/dev",
                                .sysTtyFolder = m_folder + "/sys",
                                .linkFolder = m_folder});
        m_thread = std::thread([this] { Serve(); });
    }
    ~TestReader()
    {
        m_stop = true;
        m_thread.join();
        SetDefaultComPortRoots({});
        close(m_master);
        if (m_slave >= 0) close(m_slave);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    TestReader(const TestReader&) = delete;
    TestReader& operator=(const TestReader&) = delete;

    // Replies come after a delay drawn from [min, max]; requests whose first
    // byte is `silentFirstByte` get no reply.
    void SetDelay(std::chrono::milliseconds min, std::chrono::milliseconds max)
    {
        std::lock_guard lock(m_mutex);
        m_minDelay = min;
        m_maxDelay = max;
    }
    void SetSilentFor(int firstByte) { m_silentFirstByte = firstByte; }

    std::vector<Bytes> Requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    int Overlaps() const { return m_overlaps; }

private:
    bool InputWaiting(int timeoutMs) const
    {
        pollfd fd{m_master, POLLIN, 0};
        return poll(&fd, 1, timeoutMs) > 0 && (fd.revents & POLLIN);
    }
    // No one has the port open.
    bool HungUp() const
    {
        pollfd fd{m_master, POLLIN, 0};
        return poll(&fd, 1, 0) > 0 && (fd.revents & POLLHUP);
    }

    // One request: what arrives until the line has been silent for 2 ms.
    Bytes ReadRequest()
    {
        Bytes request;
        unsigned char buffer[4096];
        do {
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n <= 0) break;
            request.insert(request.end(), buffer, buffer + n);
        } while (InputWaiting(2));
        return request;
    }

    void Serve()
    {
        std::mt19937 random(7);
        while (!m_stop) {
            if (HungUp()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if (!InputWaiting(20)) continue;
            const Bytes request = ReadRequest();
            if (request.empty()) continue;
            std::chrono::milliseconds delay;
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(request);
                std::uniform_int_distribution<long> pick(m_minDelay.count(), m_maxDelay.count());
                delay = std::chrono::milliseconds(pick(random));
            }
            if (request.front() == m_silentFirstByte) continue;
            std::this_thread::sleep_for(delay);
            if (HungUp()) continue;  // the port was closed meanwhile
            if (InputWaiting(0)) ++m_overlaps;
            [[maybe_unused]] const ssize_t written =
                write(m_master, m_reply.data(), m_reply.size());
        }
    }

    const Bytes m_reply;
    std::string m_folder;
    int m_master = -1;
    int m_slave = -1;  // held open so that the far end never sees a hang-up
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_silentFirstByte{-1};
    std::atomic<int> m_overlaps{0};
    mutable std::mutex m_mutex;
    std::vector<Bytes> m_requests;
    std::chrono::milliseconds m_minDelay{0};
    std::chrono::milliseconds m_maxDelay{0};
};
