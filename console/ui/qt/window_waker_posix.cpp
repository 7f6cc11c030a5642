// A pipe whose read end the window thread's event loop watches.
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "window_waker.h"

struct WindowWaker::Impl {
    int fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
};

WindowWaker::WindowWaker(std::function<void()> onWake) : m_impl(std::make_unique<Impl>())
{
    if (pipe2(m_impl->fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
    m_impl->notifier = std::make_unique<QSocketNotifier>(m_impl->fds[0], QSocketNotifier::Read);
    const int readEnd = m_impl->fds[0];
    QObject::connect(m_impl->notifier.get(), &QSocketNotifier::activated,
                     [readEnd, onWake = std::move(onWake)] {
                         char drained[64];
                         while (read(readEnd, drained, sizeof drained) > 0) {
                         }
                         onWake();
                     });
}

WindowWaker::~WindowWaker()
{
    m_impl->notifier.reset();
    for (int fd : m_impl->fds) {
        if (fd >= 0) close(fd);
    }
}

void WindowWaker::Wake()
{
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = write(m_impl->fds[1], &byte, 1);
}
