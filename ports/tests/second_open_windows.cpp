#include <windows.h>

#include "second_open.h"

bool SecondOpenIsRefused()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
}
