// The ports quillard-run lists and opens.
#pragma once

#include "hollet/CxComm.h"
#include "hollet/CxHid.h"
#include "runner_options.h"

// The COM ports with their devices, then the HID readers, one a line on stdout.
void ListPorts();

// Opens the port the options name, or writes why not (in `language`) and
// returns none.
CxBasePort* OpenChosenPort(const RunnerOptions& options, int language, CxComm& comm, CxHid& hid);
