// Ctrl+C (SIGINT, and SIGTERM) asks a run to end after the transaction under
// way; a second one ends the program at once.
#pragma once

inline constexpr int kExitInterrupted = 130;

void CatchInterrupts();
bool Interrupted();
