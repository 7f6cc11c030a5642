#include "quillard/presence_notices.h"

#include "hollet/CxComm.h"

std::string DevicePresenceText(unsigned long comNumber, const DevicePresence& presence,
                               bool english)
{
    const std::string port = "COM" + std::to_string(comNumber);
    const std::string every = std::to_string(CxComm::kReopenInterval.count());
    switch (presence.state) {
        case DevicePresence::State::kGone:
            return english ? port + ": the device has gone; it is looked for again every " + every +
                                 " ms"
                           : port + "：设备已断开，每 " + every + " 毫秒重新查找";
        case DevicePresence::State::kOtherDevice:
            return english ? port + ": another device has the port's name now: " +
                                 presence.otherDevice + "; it is not the one opened (" +
                                 presence.ownDevice + ") and is left alone"
                           : port + "：端口名下现在是另一个设备：" + presence.otherDevice +
                                 "；不是打开的设备（" + presence.ownDevice + "），不予使用";
        case DevicePresence::State::kThere: break;
    }
    return english ? port + ": the device is back" : port + "：设备已重新连接";
}

std::optional<DevicePresence> PresenceNotices::TakeChange(CxBasePort& port)
{
    const auto* device = dynamic_cast<const CxDevicePresence*>(&port);
    if (!device) return std::nullopt;
    DevicePresence presence = device->GetDevicePresence();
    if (presence.changes == m_told) return std::nullopt;
    m_told = presence.changes;
    return presence;
}
