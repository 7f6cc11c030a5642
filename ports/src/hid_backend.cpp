#include "hollet/hid_backend.h"

#include <atomic>

namespace {
std::atomic<HidBackend*> g_replacement{nullptr};
}

HidBackend& ActiveHidBackend()
{
    HidBackend* replacement = g_replacement.load();
    return replacement ? *replacement : PlatformHidBackend();
}

void SetHidBackend(HidBackend* backend)
{
    g_replacement.store(backend);
}
