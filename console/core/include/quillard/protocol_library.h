// Loading a protocol plug-in from the Protocols folder beside the program and
// binding its three functions.
#pragma once

#include <functional>
#include <string>

#include "quillard/dynamic_library.h"
#include "quillard/protocol_api.h"

// The entry points of the plug-in loaded last, for the whole process: filled by
// LoadProtocolLib, emptied by FreeProtocolLib and by a failed load.
ProtocolApi& LoadedProtocolApi();

// The path a configured plug-in file name is loaded from: the program's folder,
// "Protocols", the name as configured.
std::string ProtocolLibPath(const std::string& dllName);

// What a load reports: messages for the user, and a request to quit.
struct ProtocolLoadReport {
    std::function<void(const std::string& message)> showMessage;
    std::function<void()> requestQuit;
};

// Loads the plug-in named `dllName` into `handle` and binds its exports in the
// order tlx_PCToReader, tlx_ReaderToPC, tlx_CheckData. 1 when all three were
// found; 0 after a message ("Can't load %s!" with a quit request, or
// "Function: %s can't be found." for the first missing export).
// On Linux a name ending in ".dll" that is not there is looked for as ".so".
int LoadProtocolLib(ModuleHandle& handle, const std::string& dllName,
                    const ProtocolLoadReport& report);

// The same for a plug-in file given by its path, which the messages show.
int LoadProtocolFile(ModuleHandle& handle, const std::string& path,
                     const ProtocolLoadReport& report);

// "Load %s Faild!!!" with the plug-in's name as configured: a failed load.
std::string LoadFailedMessage(const std::string& dllName);

// Releases the plug-in in `handle`, if any, and empties LoadedProtocolApi().
int FreeProtocolLib(ModuleHandle& handle);
