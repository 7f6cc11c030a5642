// Which device a tty is, where the system can tell: a USB adapter by its
// vendor, product and serial number (and, for one without a serial number,
// the USB port it hangs on), any other device with a place in sysfs by that
// place. A re-plugged adapter is taken back only when it is the same one.
#pragma once

#include <sys/types.h>

#include <string>

struct DeviceIdentity {
    std::string sysfsDevice;  // the tty's device in sysfs; empty: the system names none
    std::string usbDevice;    // the USB device it belongs to, if any
    std::string vendor, product, serial;

    bool Known() const { return !sysfsDevice.empty(); }
    // The same piece of hardware: for USB the same vendor, product and serial
    // number (or, without a serial number, the same USB port); otherwise the
    // same place.
    bool SameDeviceAs(const DeviceIdentity& other) const;
    // "USB 10c4:ea60 serial 0001 (/sys/devices/...)", for the log.
    std::string Describe() const;
};

// The identity of character device `device`, read below `sysDevChar` (the
// system's /sys/dev/char); an unknown one when sysfs has no device for it
// (a pseudo-terminal).
DeviceIdentity IdentityOf(dev_t device, const std::string& sysDevChar);
