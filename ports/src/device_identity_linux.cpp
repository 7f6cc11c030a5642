#include "device_identity_linux.h"

#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string FirstLineOf(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

bool DeviceIdentity::SameDeviceAs(const DeviceIdentity& other) const
{
    if (usbDevice.empty() != other.usbDevice.empty()) return false;
    if (usbDevice.empty()) return sysfsDevice == other.sysfsDevice;
    if (vendor != other.vendor || product != other.product || serial != other.serial) return false;
    return !serial.empty() || usbDevice == other.usbDevice;
}

std::string DeviceIdentity::Describe() const
{
    if (!Known()) return "a device the system names no hardware for";
    if (usbDevice.empty()) return sysfsDevice;
    std::string text = "USB " + vendor + ":" + product;
    if (!serial.empty()) text += " serial " + serial;
    return text + " (" + usbDevice + ")";
}

DeviceIdentity IdentityOf(dev_t device, const std::string& sysDevChar)
{
    DeviceIdentity identity;
    const fs::path node = fs::path(sysDevChar) /
                          (std::to_string(major(device)) + ":" + std::to_string(minor(device)));
    std::error_code error;
    const fs::path place = fs::canonical(node / "device", error);
    if (error) return identity;  // no such device, or a virtual one (a pty, the console)
    identity.sysfsDevice = place.string();
    // The USB device is the nearest folder above that names a vendor and product.
    for (fs::path at = place; at.has_relative_path(); at = at.parent_path()) {
        if (fs::exists(at / "idVendor", error) && fs::exists(at / "idProduct", error)) {
            identity.usbDevice = at.string();
            identity.vendor = FirstLineOf(at / "idVendor");
            identity.product = FirstLineOf(at / "idProduct");
            identity.serial = FirstLineOf(at / "serial");
            break;
        }
    }
    return identity;
}
