#include "quillard/window_thread_calls.h"

void WindowThreadCalls::Queue(std::unique_lock<std::mutex>& lock, Entry entry)
{
    const bool wasEmpty = m_queue.empty();
    m_queue.push_back(std::move(entry));
    m_changed.notify_all();
    lock.unlock();
    // A queue that already held calls has a wake-up under way, or the window
    // thread is running them and finds this one too.
    if (wasEmpty) m_wake();
    lock.lock();
}

void WindowThreadCalls::Post(std::function<void()> call)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < kMaxQueued; });
    Queue(lock, {std::move(call), nullptr});
}

void WindowThreadCalls::RunOnWindowThread(std::function<void()> call)
{
    bool finished = false;
    std::unique_lock lock(m_mutex);
    Queue(lock, {std::move(call), &finished});
    m_changed.wait(lock, [&] { return finished; });
}

void WindowThreadCalls::Notify()
{
    {
        std::lock_guard lock(m_mutex);
        m_changed.notify_all();
    }
    m_wake();
}

void WindowThreadCalls::RunPending()
{
    std::unique_lock lock(m_mutex);
    const std::size_t batch = m_queue.size();
    for (std::size_t left = batch; left > 0 && !m_queue.empty(); --left) {
        Entry entry = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        entry.call();  // may open a message box, which runs this again
        lock.lock();
        if (entry.finished) *entry.finished = true;
        m_changed.notify_all();
    }
    const bool more = !m_queue.empty();
    lock.unlock();
    if (batch > 0 && m_afterRunning) m_afterRunning();
    if (more) m_wake();
}

bool WindowThreadCalls::WaitServing(const std::function<bool()>& done,
                                    std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // What the worker queued before it was done runs before this returns.
        const bool finished = done();
        RunPending();
        if (finished) return true;
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_until(lock, deadline, [&] { return !m_queue.empty() || done(); }) &&
            m_queue.empty())
            return done();
    }
}
