// The three entry points of the loaded protocol plug-in.
#pragma once

#include "tlx_protocol.h"

struct ProtocolApi {
    tlx_PCToReader_fn PCToReader = nullptr;  // wrap
    tlx_ReaderToPC_fn ReaderToPC = nullptr;  // unwrap
    tlx_CheckData_fn CheckData = nullptr;    // check

    bool IsBound() const { return PCToReader && ReaderToPC && CheckData; }
};
