// Corvane's three entry points, loaded as the console loads a plug-in.
#pragma once

#include <dlfcn.h>

#include "quillard/protocol_api.h"

inline ProtocolApi LoadCorvane()
{
    void* library = dlopen(CORVANE_PATH, RTLD_NOW);
    if (!library) return {};
    return {reinterpret_cast<tlx_PCToReader_fn>(dlsym(library, "tlx_PCToReader")),
            reinterpret_cast<tlx_ReaderToPC_fn>(dlsym(library, "tlx_ReaderToPC")),
            reinterpret_cast<tlx_CheckData_fn>(dlsym(library, "tlx_CheckData"))};
}
