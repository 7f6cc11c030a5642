#include "slow_drain_linux.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <atomic>
#include <thread>

namespace {
std::atomic<SlowDrain*> g_armed{nullptr};
}  // namespace

// Defined in the test program, it is the tcdrain() the port library calls.
// It does what the C library's does (TCSBRK with a non-zero argument waits
// for the output to drain), and more slowly while armed.
extern "C" int tcdrain(int fd)
{
    const int result = ::ioctl(fd, TCSBRK, 1);
    if (SlowDrain* armed = g_armed.load()) armed->Drain();
    return result;
}

SlowDrain::SlowDrain(std::chrono::milliseconds takes) : m_takes(takes)
{
    g_armed = this;
}

SlowDrain::~SlowDrain()
{
    g_armed = nullptr;
}

void SlowDrain::Drain()
{
    std::this_thread::sleep_for(m_takes);
    std::lock_guard lock(m_mutex);
    ++m_drains;
    m_drained.notify_all();
}

bool SlowDrain::WaitForADrain(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    return m_drained.wait_for(lock, limit, [&] { return m_drains > 0; });
}

int SlowDrain::Drains()
{
    std::lock_guard lock(m_mutex);
    return m_drains;
}
