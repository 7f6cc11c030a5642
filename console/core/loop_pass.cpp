#include "quillard/loop_pass.h"

#include <thread>

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

void RunLoopPasses(TransactionEngine& engine, std::span<const LoopRow> rows,
                   const std::function<bool()>& anotherPass, const AfterTransaction& after)
{
    while (anotherPass()) {
        std::this_thread::sleep_for(kLoopPassPause);
        if (RunLoopPass(engine, rows, after) == LoopPassEnd::kStopped) return;
    }
}
