// HID on Linux through hidraw: interfaces from sysfs, attributes from
// HIDIOCGRAWINFO, reports with HIDIOCSOUTPUT and HIDIOCGINPUT.
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "hollet/hid_backend.h"
#include "hollet/hidraw_enumeration.h"

// Older kernel headers lack the report ioctls (added in Linux 5.11).
#ifndef HIDIOCGINPUT
#define HIDIOCGINPUT(len) _IOC(_IOC_WRITE | _IOC_READ, 'H', 0x0A, len)
#endif
#ifndef HIDIOCSOUTPUT
#define HIDIOCSOUTPUT(len) _IOC(_IOC_WRITE | _IOC_READ, 'H', 0x0B, len)
#endif

namespace {

class HidrawSet final : public HidDeviceSet {
public:
    explicit HidrawSet(std::vector<std::string> paths) : m_paths(std::move(paths)) {}
    Enum EnumInterface(unsigned long index) override
    {
        return index < m_paths.size() ? Enum::kFound : Enum::kNoMoreItems;
    }
    bool GetDetail(unsigned long index, std::string& path) override
    {
        if (index >= m_paths.size()) return false;
        path = m_paths[index];
        return true;
    }

private:
    std::vector<std::string> m_paths;
};

class HidrawBackend final : public HidBackend {
public:
    std::unique_ptr<HidDeviceSet> GetClassDevs() override
    {
        return std::make_unique<HidrawSet>(ListHidrawInterfaces());
    }
    PortHandle OpenDevice(const std::string& path, bool) override
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        return fd < 0 ? kInvalidPortHandle : fd;
    }
    void CloseDevice(PortHandle handle) override { ::close(static_cast<int>(handle)); }
    bool GetAttributes(PortHandle handle, HidAttributes& attributes) override
    {
        hidraw_devinfo info{};
        if (ioctl(static_cast<int>(handle), HIDIOCGRAWINFO, &info) != 0) return false;
        attributes.VendorID = static_cast<std::uint16_t>(info.vendor);
        attributes.ProductID = static_cast<std::uint16_t>(info.product);
        return true;
    }
    bool SetOutputReport(PortHandle handle, const unsigned char* report,
                         unsigned long length) override
    {
        std::vector<unsigned char> copy(report, report + length);
        return ioctl(static_cast<int>(handle), HIDIOCSOUTPUT(length), copy.data()) >= 0;
    }
    bool GetInputReport(PortHandle handle, unsigned char* report, unsigned long length) override
    {
        return ioctl(static_cast<int>(handle), HIDIOCGINPUT(length), report) >= 0;
    }
};

// The number of a hidrawN name, or -1.
long HidrawNumber(const std::string& name)
{
    if (name.rfind("hidraw", 0) != 0 || name.size() == 6) return -1;
    char* end = nullptr;
    const long number = std::strtol(name.c_str() + 6, &end, 10);
    return *end == '\0' && number >= 0 ? number : -1;
}

}  // namespace

std::vector<std::string> ListHidrawInterfaces(const HidrawRoots& roots)
{
    std::vector<long> numbers;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(roots.sysFolder, error)) {
        const long number = HidrawNumber(item.path().filename().string());
        if (number >= 0) numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<std::string> paths;
    for (long number : numbers)
        paths.push_back(roots.devFolder + "/hidraw" + std::to_string(number));
    return paths;
}

HidBackend& PlatformHidBackend()
{
    static HidrawBackend backend;
    return backend;
}
