#include <dlfcn.h>

#include "quillard/dynamic_library.h"

ModuleHandle OpenLibrary(const std::string& path)
{
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindExport(ModuleHandle module, const char* name)
{
    return dlsym(module, name);
}

int CloseLibrary(ModuleHandle module)
{
    return dlclose(module) == 0 ? 1 : 0;
}

const char* const kNativeLibrarySuffix = ".so";
