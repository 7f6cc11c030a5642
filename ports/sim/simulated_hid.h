// A simulated set of HID interfaces in the platform's place: Vemra readers and
// other devices, whose reports a test scripts and inspects, and calls that can
// be made to fail.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hollet/hid_backend.h"

class SimulatedHid : public HidBackend {
public:
    struct Device {
        std::string path;
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
        bool enumFails = false;       // the enumeration reports a failure at its index
        bool detailFails = false;     // its detail record cannot be fetched
        bool openFails = false;       // it cannot be opened (another user's, say)
        bool attributesFail = false;  // its attributes cannot be read
        bool unplugged = false;       // gone: out of the enumeration, every call on it fails
        std::deque<std::vector<unsigned char>> inputReports;    // data after the report ID
        std::vector<std::vector<unsigned char>> outputReports;  // whole reports, ID first
    };

    // Puts itself in the platform's place while it lives.
    SimulatedHid();
    ~SimulatedHid() override;
    SimulatedHid(const SimulatedHid&) = delete;
    SimulatedHid& operator=(const SimulatedHid&) = delete;

    // Adds an interface; returns its index.
    unsigned long AddReader();
    unsigned long AddOtherDevice(std::uint16_t vendorId = 0x046D, std::uint16_t productId = 0xC077);
    Device& At(unsigned long index) { return m_devices.at(index); }
    std::size_t OpenHandles() const;

    bool setFails = false;  // the interface set cannot be built

    std::unique_ptr<HidDeviceSet> GetClassDevs() override;
    PortHandle OpenDevice(const std::string& path, bool overlapped) override;
    void CloseDevice(PortHandle handle) override;
    bool GetAttributes(PortHandle handle, HidAttributes& attributes) override;
    bool SetOutputReport(PortHandle handle, const unsigned char* report,
                         unsigned long length) override;
    bool GetInputReport(PortHandle handle, unsigned char* report, unsigned long length) override;

private:
    Device* DeviceOf(PortHandle handle);

    mutable std::recursive_mutex m_lock;
    std::deque<Device> m_devices;
    std::vector<std::pair<PortHandle, std::size_t>> m_handles;  // handle → device
    PortHandle m_nextHandle = 100;
};
