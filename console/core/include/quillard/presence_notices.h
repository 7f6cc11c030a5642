// What the user is told when a serial port's device goes, comes back, or is
// found replaced by another device: one line for each change, in the log
// file of the window and on the runner's stderr. The traffic log itself keeps
// its lines as they are.
#pragma once

#include <optional>
#include <string>

#include "hollet/CxBasePort.h"
#include "hollet/device_presence.h"

// "COM3: the device has gone; ...", or its Chinese text.
std::string DevicePresenceText(unsigned long comNumber, const DevicePresence& presence,
                               bool english);

// Remembers the last change told, so that each is told once. Reset for each
// port opened.
class PresenceNotices {
public:
    // The device's presence when it changed since the last call, for a port
    // that tells of its device; none otherwise.
    std::optional<DevicePresence> TakeChange(CxBasePort& port);
    void Reset() { m_told = 0; }

private:
    unsigned long m_told = 0;
};
