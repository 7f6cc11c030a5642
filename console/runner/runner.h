// One run of quillard-run: settings, rows, plug-in, port, the passes, the
// summary. Returns the exit code.
#pragma once

#include "runner_options.h"

enum RunnerExit : int {
    kExitAllSucceeded = 0,
    kExitSomeFailed = 1,
    kExitUsage = 2,       // the command line, a row or the settings file
    kExitCannotOpen = 3,  // the port or the plug-in
};

int RunTransactions(const RunnerOptions& options);
