// COM ports on Windows: "\\.\COMn" is the device itself; the present ports are
// the values of the registry key HKEY_LOCAL_MACHINE\Hardware\DeviceMap\SerialComm.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "hollet/com_names.h"

std::string ResolveComDevice(unsigned long number, const ComPortRoots&)
{
    if (number < 1 || number > 1024) return {};
    return "\\\\.\\COM" + std::to_string(number);
}

bool ComPortListAvailable(const ComPortRoots&)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SerialComm", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::vector<ComPortEntry> ListComPorts(const ComPortRoots&)
{
    std::vector<ComPortEntry> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SerialComm", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        char name[256];
        BYTE data[256];
        DWORD nameLength = sizeof name;
        DWORD dataLength = sizeof data - 1;
        DWORD type = 0;
        const LONG result =
            RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;  // a value that cannot be read whole
        data[dataLength] = 0;
        const std::string port(reinterpret_cast<const char*>(data));
        unsigned long number = 0;
        if (port.rfind("COM", 0) == 0) number = std::strtoul(port.c_str() + 3, nullptr, 10);
        ports.push_back({number, "\\\\.\\" + port, name});
    }
    RegCloseKey(key);
    return ports;
}

std::string ProgramFolder()
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const std::size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

namespace {
ComPortRoots g_roots;
}

void SetDefaultComPortRoots(const ComPortRoots& roots)
{
    g_roots = roots;
}

ComPortRoots DefaultComPortRoots()
{
    return g_roots;
}
