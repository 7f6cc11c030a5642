#include "quillard/loop_pass.h"

#include <algorithm>
#include <thread>

#include "hollet/CxBasePort.h"
#include "hollet/device_presence.h"

LoopPassEnd RunLoopPass(TransactionEngine& engine, std::span<const LoopRow> rows,
                        const AfterTransaction& after)
{
    for (const LoopRow& row : rows) {
        const int result =
            engine.Transact(row.text.data(), static_cast<int>(row.text.size()), row.timeout);
        if (after && !after(result)) return LoopPassEnd::kStopped;
        if (result == kTransactPortNotOpen) return LoopPassEnd::kPortNotOpen;
    }
    return LoopPassEnd::kCompleted;
}

void WaitWhileDeviceAway(CxBasePort* port, const std::function<bool()>& keepWaiting)
{
    constexpr std::chrono::milliseconds kSlice{5};
    const auto* presence = dynamic_cast<const CxDevicePresence*>(port);
    if (!presence) return;
    for (;;) {
        const DevicePresence now = presence->GetDevicePresence();
        if (now.state == DevicePresence::State::kThere || !now.nextLook) return;
        const auto left = *now.nextLook - std::chrono::steady_clock::now();
        if (left <= decltype(left)::zero() || (keepWaiting && !keepWaiting())) return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kSlice));
    }
}

void RunLoopPasses(TransactionEngine& engine, std::span<const LoopRow> rows,
                   const std::function<bool()>& anotherPass, const AfterTransaction& after,
                   const std::function<bool()>& keepWaiting)
{
    while (anotherPass()) {
        std::this_thread::sleep_for(kLoopPassPause);
        if (RunLoopPass(engine, rows, after) == LoopPassEnd::kStopped) return;
        WaitWhileDeviceAway(engine.GetCurrentPort(), keepWaiting);
    }
}
