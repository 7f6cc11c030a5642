// How the loop worker gets things done on the window thread (log lines,
// message boxes) without the two threads ever waiting for each other at once:
// the worker queues a call and waits until it has run; the window thread runs
// queued calls when it is woken, and also while it waits for the worker.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class WindowThreadCalls {
public:
    // `wakeWindowThread` is called from the worker after it queued a call or
    // ended; the window thread answers it with RunPending().
    explicit WindowThreadCalls(std::function<void()> wakeWindowThread)
        : m_wake(std::move(wakeWindowThread))
    {
    }

    // Worker: runs `call` on the window thread; returns once it has run.
    void RunOnWindowThread(const std::function<void()>& call);
    // Worker: tells a waiting window thread that something changed.
    void Notify();

    // Window thread: runs the calls queued so far.
    void RunPending();
    // Window thread: waits until `done()` or until `timeout` has passed,
    // running queued calls meanwhile. Returns done().
    bool WaitServing(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    struct Pending {
        const std::function<void()>* call;
        bool finished = false;
    };

    std::function<void()> m_wake;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Pending*> m_queue;
};
