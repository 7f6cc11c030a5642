// The serial ports present, as device paths "\\.\COMn", in a stable order.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "hollet/com_names.h"

class ComPortList {
public:
    // Reads the ports present; when the system's list holds none, `showMessage`
    // gets kNoComPortMessage (nothing when there is no list at all).
    explicit ComPortList(const std::function<void(const std::string&)>& showMessage,
                         const ComPortRoots& roots = DefaultComPortRoots());

    static constexpr const char* kNoComPortMessage = "Cannot Find any available COM port!\n";

    const std::vector<std::string>& Names() const { return m_names; }
    // The device behind each name, in the same order (such as /dev/ttyUSB0).
    const std::vector<std::string>& Devices() const { return m_devices; }

private:
    std::vector<std::string> m_names;
    std::vector<std::string> m_devices;
};
