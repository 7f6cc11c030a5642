// A pseudo-terminal whose far end the test holds, playing the reader; its near
// end is given a COM number through a link in a private link folder.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "hollet/com_names.h"

class PtyPeer {
public:
    static constexpr unsigned long kComNumber = 200;

    PtyPeer()
    {
        char folder[] = "/tmp/quillard-pty-XXXXXX";
        m_folder = mkdtemp(folder);
        OpenPty();
        std::filesystem::create_symlink(m_slavePath, Link(kComNumber));
        SetDefaultComPortRoots({.linkFolder = m_folder});
    }
    ~PtyPeer()
    {
        SetDefaultComPortRoots({});
        CloseMaster();
        if (m_slave >= 0) close(m_slave);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::string Link(unsigned long number) const
    {
        return m_folder + "/COM" + std::to_string(number);
    }
    const std::string& Folder() const { return m_folder; }
    const std::string& SlavePath() const { return m_slavePath; }

    void Send(const std::vector<unsigned char>& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
    }

    // What the port wrote: `count` bytes, waiting up to `wait` for them.
    std::vector<unsigned char> Receive(std::size_t count,
                                       std::chrono::milliseconds wait = std::chrono::seconds(5))
    {
        std::vector<unsigned char> bytes;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{m_master, POLLIN, 0};
            if (poll(&fd, 1, 50) <= 0) continue;
            unsigned char buffer[4096];
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n <= 0) break;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }

    termios LineState() const
    {
        termios tio{};
        tcgetattr(m_slave, &tio);
        return tio;
    }

    // The reader is unplugged.
    void CloseMaster()
    {
        if (m_master >= 0) close(m_master);
        m_master = -1;
    }
    void CloseSlave()
    {
        if (m_slave >= 0) close(m_slave);
        m_slave = -1;
    }

    // The reader is unplugged and plugged in again: both ends of the old
    // pseudo-terminal go, and a new one (another device) takes its place.
    // The links are the caller's to change.
    void Replug()
    {
        CloseSlave();
        CloseMaster();
        OpenPty();
    }

private:
    void OpenPty()
    {
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        openpty(&m_master, &m_slave, name, &raw, nullptr);
        m_slavePath = name;  // the slave is kept open to inspect the line state; takes no lock
    }

    std::string m_folder;
    std::string m_slavePath;
    int m_master = -1;
    int m_slave = -1;
};
