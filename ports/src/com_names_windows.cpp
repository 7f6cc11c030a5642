// COM ports on Windows: "\\.\COMn" is the device itself; the present ports are
// the values of the registry key HKEY_LOCAL_MACHINE\Hardware\DeviceMap\SerialComm.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

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

namespace {

// The program file's full path, however long; "" where it cannot be had.
std::wstring ProgramFilePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD capacity = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), capacity);
        if (length == 0) return {};
        if (length < capacity) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return {};  // longer than any Windows path
        path.resize(path.size() * 2);
    }
}

}  // namespace

// As UTF-8 text, like every path in the program, so that a folder whose
// name the system's code page cannot spell still works.
std::string ProgramFolder()
{
    const std::wstring path = ProgramFilePath();
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return ".";
    try {
        const std::u8string folder = std::filesystem::path(path.substr(0, slash)).u8string();
        return std::string(folder.begin(), folder.end());
    } catch (const std::exception&) {  // a name that is not UTF-16 text
        return ".";
    }
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
