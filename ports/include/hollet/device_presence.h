// What a port can tell of its device beside the six operations of CxBasePort:
// whether the device is there, has gone (unplugged while open), or has been
// replaced at the port's path by another device, which the port will not
// take. A caller that holds a CxBasePort asks for it with dynamic_cast, as
// for the reply times.
#pragma once

#include <chrono>
#include <optional>
#include <string>

struct DevicePresence {
    enum class State {
        kThere,        // open, and the device answers transfers
        kGone,         // the device went away; the port looks for it again now and then
        kOtherDevice,  // another device holds the port's path; the port keeps away from it
    };
    State state = State::kThere;
    // kOtherDevice: that device, described, and the one the port was opened on.
    std::string otherDevice;
    std::string ownDevice;
    // While the device is not there: when the port next looks for it. Every
    // transfer before then fails at once.
    std::optional<std::chrono::steady_clock::time_point> nextLook;
    // Counts every change of state since the port was opened.
    unsigned long changes = 0;
};

class CxDevicePresence {
public:
    virtual ~CxDevicePresence() = default;
    // May be called from any thread, also during a transfer on another.
    virtual DevicePresence GetDevicePresence() const = 0;
};
