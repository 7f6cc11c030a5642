// The HID interfaces of a Linux system: the hidraw devices in sysfs, in the
// numeric order of their names (hidraw2 before hidraw10).
#pragma once

#include <string>
#include <vector>

struct HidrawRoots {
    std::string sysFolder = "/sys/class/hidraw";
    std::string devFolder = "/dev";
};

// The device paths (devFolder/hidrawN), by interface index.
std::vector<std::string> ListHidrawInterfaces(const HidrawRoots& roots = {});
