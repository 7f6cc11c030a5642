#include <windows.h>

#include "quillard/dynamic_library.h"
#include "quillard/path_text.h"

ModuleHandle OpenLibrary(const std::string& path)
{
    return reinterpret_cast<ModuleHandle>(LoadLibraryW(PathFromText(path).c_str()));
}

void* FindExport(ModuleHandle module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

int CloseLibrary(ModuleHandle module)
{
    return FreeLibrary(static_cast<HMODULE>(module)) ? 1 : 0;
}

const char* const kNativeLibrarySuffix = ".dll";
