#include "quillard/window_thread_calls.h"

void WindowThreadCalls::RunOnWindowThread(const std::function<void()>& call)
{
    Pending pending{&call};
    std::unique_lock lock(m_mutex);
    m_queue.push_back(&pending);
    m_changed.notify_all();
    lock.unlock();
    m_wake();
    lock.lock();
    m_changed.wait(lock, [&] { return pending.finished; });
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
    while (!m_queue.empty()) {
        Pending* pending = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        (*pending->call)();  // may open a message box, which runs this again
        lock.lock();
        pending->finished = true;
        m_changed.notify_all();
    }
}

bool WindowThreadCalls::WaitServing(const std::function<bool()>& done,
                                    std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        RunPending();
        if (done()) return true;
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_until(lock, deadline, [&] { return !m_queue.empty() || done(); }) &&
            m_queue.empty())
            return done();
    }
}
