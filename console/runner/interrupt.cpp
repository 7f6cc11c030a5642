#include "interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace {

std::atomic<int> g_interrupts{0};
static_assert(std::atomic<int>::is_always_lock_free,
              "a signal handler may use only lock-free atomics");

void OnInterrupt(int signal)
{
    if (g_interrupts.fetch_add(1) > 0) std::_Exit(kExitInterrupted);
    std::signal(signal, OnInterrupt);  // where the C library resets it
}

}  // namespace

void CatchInterrupts()
{
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

bool Interrupted()
{
    return g_interrupts.load() > 0;
}
