#include "simulated_hid.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

class SimulatedSet final : public HidDeviceSet {
public:
    explicit SimulatedSet(std::vector<SimulatedHid::Device> devices) : m_devices(std::move(devices))
    {
    }
    Enum EnumInterface(unsigned long index) override
    {
        if (index >= m_devices.size()) return Enum::kNoMoreItems;
        return m_devices[index].enumFails ? Enum::kFailed : Enum::kFound;
    }
    bool GetDetail(unsigned long index, std::string& path) override
    {
        if (index >= m_devices.size() || m_devices[index].detailFails) return false;
        path = m_devices[index].path;
        return true;
    }

private:
    std::vector<SimulatedHid::Device> m_devices;
};

}  // namespace

SimulatedHid::SimulatedHid()
{
    SetHidBackend(this);
}

SimulatedHid::~SimulatedHid()
{
    SetHidBackend(nullptr);
}

unsigned long SimulatedHid::AddReader()
{
    return AddOtherDevice(0x10C4, 0x0007);
}

unsigned long SimulatedHid::AddOtherDevice(std::uint16_t vendorId, std::uint16_t productId)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Device device;
    device.path = "/dev/hidraw" + std::to_string(m_devices.size());
    device.vendorId = vendorId;
    device.productId = productId;
    m_devices.push_back(std::move(device));
    return m_devices.size() - 1;
}

std::size_t SimulatedHid::OpenHandles() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_handles.size();
}

std::unique_ptr<HidDeviceSet> SimulatedHid::GetClassDevs()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (setFails) return nullptr;
    // A device that is gone leaves the enumeration: those after it move up.
    std::vector<Device> present;
    std::copy_if(m_devices.begin(), m_devices.end(), std::back_inserter(present),
                 [](const Device& device) { return !device.unplugged; });
    return std::make_unique<SimulatedSet>(std::move(present));
}

PortHandle SimulatedHid::OpenDevice(const std::string& path, bool)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        if (m_devices[i].path != path) continue;
        if (m_devices[i].openFails || m_devices[i].unplugged) return kInvalidPortHandle;
        m_handles.emplace_back(m_nextHandle, i);
        return m_nextHandle++;
    }
    return kInvalidPortHandle;
}

void SimulatedHid::CloseDevice(PortHandle handle)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    std::erase_if(m_handles, [&](const auto& entry) { return entry.first == handle; });
}

SimulatedHid::Device* SimulatedHid::DeviceOf(PortHandle handle)
{
    for (const auto& [h, index] : m_handles)
        if (h == handle) return &m_devices[index];
    return nullptr;
}

bool SimulatedHid::GetAttributes(PortHandle handle, HidAttributes& attributes)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Device* device = DeviceOf(handle);
    if (!device || device->attributesFail || device->unplugged) return false;
    attributes.VendorID = device->vendorId;
    attributes.ProductID = device->productId;
    return true;
}

bool SimulatedHid::SetOutputReport(PortHandle handle, const unsigned char* report,
                                   unsigned long length)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Device* device = DeviceOf(handle);
    if (!device || device->unplugged) return false;
    device->outputReports.emplace_back(report, report + length);
    return true;
}

bool SimulatedHid::GetInputReport(PortHandle handle, unsigned char* report, unsigned long length)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Device* device = DeviceOf(handle);
    // The buffer must hold the report ID and at least one byte of data: hidraw
    // refuses a shorter fetch, as Windows refuses one shorter than the report.
    if (!device || device->unplugged || device->inputReports.empty() || length < 2) return false;
    const std::vector<unsigned char> data = std::move(device->inputReports.front());
    device->inputReports.pop_front();
    // The report ID stays in byte 0; the data follow, as much as fits.
    const std::size_t n = std::min<std::size_t>(data.size(), length - 1);
    std::memcpy(report + 1, data.data(), n);
    return true;
}
