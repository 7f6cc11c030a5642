// Wakes the window thread from another thread: Wake() may be called from any
// thread; the callback then runs on the thread that made the waker, from its
// event loop. The worker touches nothing of Qt to do so.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class WindowWaker {
public:
    explicit WindowWaker(std::function<void()> onWake);
    ~WindowWaker();
    WindowWaker(const WindowWaker&) = delete;
    WindowWaker& operator=(const WindowWaker&) = delete;

    void Wake();

private:
    struct Impl;  // one per system
    std::unique_ptr<Impl> m_impl;
};
