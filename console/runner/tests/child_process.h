// A program run by a test, with its stdout and stderr captured apart.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv)
    {
        int out[2], err[2];
        if (pipe(out) != 0 || pipe(err) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~ChildProcess()
    {
        if (m_pid > 0 && !m_bEnded) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) close(m_out);
        if (m_err >= 0) close(m_err);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads what comes until `done` holds for the stdout so far, both streams
    // end, or `wait` has passed. True when `done` held or the streams ended.
    bool ReadUntil(const std::function<bool(const std::string& out)>& done,
                   std::chrono::milliseconds wait)
    {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (!(done && done(out)) && (m_out >= 0 || m_err >= 0)) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
            if (poll(fds, 2, 50) <= 0) continue;
            Drain(fds[0], m_out, out);
            Drain(fds[1], m_err, err);
        }
        return true;
    }
    // Reads to the end and waits for the program: its exit code, or -1 when it
    // did not end within `wait` (it is then killed).
    int Finish(std::chrono::milliseconds wait = std::chrono::seconds(60))
    {
        if (m_pid <= 0) return -1;
        if (!ReadUntil({}, wait)) return -1;
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_bEnded = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    void Signal(int signal) const { kill(m_pid, signal); }

    std::string out;
    std::string err;

private:
    static void Drain(const pollfd& fd, int& handle, std::string& text)
    {
        if (!(fd.revents & (POLLIN | POLLHUP))) return;
        char buffer[65536];
        const ssize_t n = read(handle, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else {
            close(handle);
            handle = -1;
        }
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    bool m_bEnded = false;
};
