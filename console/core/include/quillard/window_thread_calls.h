// How the loop worker gets things done on the window thread (log lines,
// message boxes) without the two threads ever waiting for each other at once:
// the worker queues calls; the window thread runs them in order when it is
// woken, and also while it waits for the worker.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

class WindowThreadCalls {
public:
    // More queued calls than this make the worker wait for the window thread.
    static constexpr std::size_t kMaxQueued = 2000;

    // `wakeWindowThread` is called from the worker when there is something to
    // run; the window thread answers it with RunPending(). `afterRunning`, if
    // given, runs on the window thread after each RunPending() that ran calls:
    // what the calls gathered (log lines) is shown there, once for them all.
    explicit WindowThreadCalls(std::function<void()> wakeWindowThread,
                               std::function<void()> afterRunning = {})
        : m_wake(std::move(wakeWindowThread)), m_afterRunning(std::move(afterRunning))
    {
    }

    // Worker: queues `call` and goes on (once the queue has room).
    void Post(std::function<void()> call);
    // Worker: runs `call` on the window thread; returns once it has run.
    void RunOnWindowThread(std::function<void()> call);
    // Worker: tells a waiting window thread that something changed.
    void Notify();

    // Window thread: runs the calls queued so far, in order, and no more: a
    // worker that queues as fast as they run never keeps the window thread
    // from its input and drawing. What was queued meanwhile gets a wake-up.
    void RunPending();
    // Window thread: waits until `done()` or until `timeout` has passed,
    // running queued calls meanwhile; when done(), its calls have all run.
    bool WaitServing(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    struct Entry {
        std::function<void()> call;
        bool* finished;  // set once it has run, for a caller that waits
    };
    // Queues under the lock; wakes the window thread when the queue was empty.
    void Queue(std::unique_lock<std::mutex>& lock, Entry entry);

    std::function<void()> m_wake;
    std::function<void()> m_afterRunning;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Entry> m_queue;
};
