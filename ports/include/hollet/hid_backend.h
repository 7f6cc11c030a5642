// The platform's HID calls behind CxHid, one implementation per OS. A simulated
// set of devices can take the platform's place (tests, demonstrations).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hollet/port_types.h"

struct HidAttributes {
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

// The present interfaces of the HID class, as one enumeration sees them.
// Destroying the set ends the enumeration.
class HidDeviceSet {
public:
    enum class Enum { kFound, kFailed, kNoMoreItems };
    virtual ~HidDeviceSet() = default;
    // Whether there is an interface at `index`.
    virtual Enum EnumInterface(unsigned long index) = 0;
    // The device path of the interface at `index`; false when it cannot be had.
    virtual bool GetDetail(unsigned long index, std::string& path) = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // The set of present HID interfaces; null when it cannot be built.
    virtual std::unique_ptr<HidDeviceSet> GetClassDevs() = 0;
    // Opens a device for reading and writing, shared; kInvalidPortHandle on failure.
    virtual PortHandle OpenDevice(const std::string& path, bool overlapped) = 0;
    virtual void CloseDevice(PortHandle handle) = 0;
    virtual bool GetAttributes(PortHandle handle, HidAttributes& attributes) = 0;
    // Sends one output report: `report[0]` is the report ID.
    virtual bool SetOutputReport(PortHandle handle, const unsigned char* report,
                                 unsigned long length) = 0;
    // Fetches one input report into `report` (room for `length` bytes), whose
    // first byte holds the report ID asked for.
    virtual bool GetInputReport(PortHandle handle, unsigned char* report, unsigned long length) = 0;
};

// The platform's HID backend.
HidBackend& PlatformHidBackend();

// The backend CxHid uses: the platform's unless another was put in its place.
HidBackend& ActiveHidBackend();
// Puts `backend` in the platform's place (null: the platform's again). The
// caller keeps it alive while it is in place.
void SetHidBackend(HidBackend* backend);
