// Loop sending: the rows to send, pass after pass, through one transaction
// engine. The window's worker and the command-line runner share these rules.
#pragma once

#include <chrono>
#include <functional>
#include <span>
#include <string>

#include "quillard/transaction.h"

// One row as the loop sends it: its prepared text and its reply time-out.
struct LoopRow {
    std::string text;
    unsigned long timeout = 0;  // ms; 0 means 200
};

// The pause before every pass.
inline constexpr std::chrono::milliseconds kLoopPassPause{1};

enum class LoopPassEnd {
    kCompleted,    // every row was sent
    kPortNotOpen,  // a transaction found no open port (-7): the rest of the pass is left out
    kStopped,      // the caller asked to stop after a transaction
};

// Called after each transaction with its result; false stops the pass there.
using AfterTransaction = std::function<bool(int result)>;

// One pass: each row through Transact, in order.
LoopPassEnd RunLoopPass(TransactionEngine& engine, std::span<const LoopRow> rows,
                        const AfterTransaction& after = {});

// Pass after pass while `anotherPass` says so, each after kLoopPassPause; a
// pass that was stopped ends the loop, one that found no open port does not.
// While the port's device has gone, a pass waits until the port next looks
// for it (every transfer before then would fail at once), as long as
// `keepWaiting` says so; it is asked every few milliseconds.
void RunLoopPasses(TransactionEngine& engine, std::span<const LoopRow> rows,
                   const std::function<bool()>& anotherPass, const AfterTransaction& after = {},
                   const std::function<bool()>& keepWaiting = {});

// The wait of a pass for a port whose device has gone: until the port looks
// for it again, the port is closed, or `keepWaiting` says no.
void WaitWhileDeviceAway(CxBasePort* port, const std::function<bool()>& keepWaiting);
