// An auto-reset event that the window thread's event loop waits on.
#include <windows.h>

#include <QWinEventNotifier>

#include "window_waker.h"

struct WindowWaker::Impl {
    HANDLE event = nullptr;
    std::unique_ptr<QWinEventNotifier> notifier;
};

WindowWaker::WindowWaker(std::function<void()> onWake) : m_impl(std::make_unique<Impl>())
{
    m_impl->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_impl->event) return;
    m_impl->notifier = std::make_unique<QWinEventNotifier>(m_impl->event);
    QObject::connect(m_impl->notifier.get(), &QWinEventNotifier::activated,
                     [onWake = std::move(onWake)] { onWake(); });
}

WindowWaker::~WindowWaker()
{
    m_impl->notifier.reset();
    if (m_impl->event) CloseHandle(m_impl->event);
}

void WindowWaker::Wake()
{
    // A signalled event already holds a wake-up.
    if (m_impl->event) SetEvent(m_impl->event);
}
