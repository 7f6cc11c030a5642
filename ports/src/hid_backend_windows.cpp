// HID on Windows: the interfaces of the HID class from the device set-up
// library, the reports through HID.DLL.
#include <windows.h>
// windows.h first; mingw-w64's hidsdi.h declares its functions without C linkage
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <vector>

#include "hollet/hid_backend.h"

namespace {

HANDLE AsHandle(PortHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

class WindowsHidDeviceSet : public HidDeviceSet {
public:
    WindowsHidDeviceSet(HDEVINFO set, const GUID& guid) : m_set(set), m_guid(guid) {}
    ~WindowsHidDeviceSet() override { SetupDiDestroyDeviceInfoList(m_set); }

    Enum EnumInterface(unsigned long index) override
    {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (SetupDiEnumDeviceInterfaces(m_set, nullptr, &m_guid, index, &data)) return Enum::kFound;
        return GetLastError() == ERROR_NO_MORE_ITEMS ? Enum::kNoMoreItems : Enum::kFailed;
    }

    bool GetDetail(unsigned long index, std::string& path) override
    {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInterfaces(m_set, nullptr, &m_guid, index, &data)) return false;
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailA(m_set, &data, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return false;
        std::vector<char> buffer(needed);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!SetupDiGetDeviceInterfaceDetailA(m_set, &data, detail, needed, nullptr, nullptr))
            return false;
        path = detail->DevicePath;
        return true;
    }

private:
    HDEVINFO m_set;
    GUID m_guid;
};

class WindowsHidBackend : public HidBackend {
public:
    std::unique_ptr<HidDeviceSet> GetClassDevs() override
    {
        GUID guid;
        HidD_GetHidGuid(&guid);
        HDEVINFO set =
            SetupDiGetClassDevsA(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<WindowsHidDeviceSet>(set, guid);
    }

    PortHandle OpenDevice(const std::string& path, bool overlapped) override
    {
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
        return handle == INVALID_HANDLE_VALUE ? kInvalidPortHandle
                                              : reinterpret_cast<PortHandle>(handle);
    }

    void CloseDevice(PortHandle handle) override { CloseHandle(AsHandle(handle)); }

    bool GetAttributes(PortHandle handle, HidAttributes& attributes) override
    {
        HIDD_ATTRIBUTES a{};
        a.Size = sizeof a;
        if (!HidD_GetAttributes(AsHandle(handle), &a)) return false;
        attributes = {a.VendorID, a.ProductID, a.VersionNumber};
        return true;
    }

    bool SetOutputReport(PortHandle handle, const unsigned char* report,
                         unsigned long length) override
    {
        return HidD_SetOutputReport(AsHandle(handle), const_cast<unsigned char*>(report), length);
    }

    bool GetInputReport(PortHandle handle, unsigned char* report, unsigned long length) override
    {
        return HidD_GetInputReport(AsHandle(handle), report, length);
    }
};

}  // namespace

HidBackend& PlatformHidBackend()
{
    static WindowsHidBackend backend;
    return backend;
}
