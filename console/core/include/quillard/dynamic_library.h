// Loading a shared library and finding its exports; one source file per system.
#pragma once

#include <string>

using ModuleHandle = void*;  // null: none

ModuleHandle OpenLibrary(const std::string& path);
void* FindExport(ModuleHandle module, const char* name);
// Non-zero on success.
int CloseLibrary(ModuleHandle module);

// The file-name suffix of this system's shared libraries (".so", ".dll").
extern const char* const kNativeLibrarySuffix;
