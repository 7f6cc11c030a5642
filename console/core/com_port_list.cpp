#include "quillard/com_port_list.h"

ComPortList::ComPortList(const std::function<void(const std::string&)>& showMessage,
                         const ComPortRoots& roots)
{
    for (const ComPortEntry& port : ListComPorts(roots)) {
        m_names.push_back(port.name);
        m_devices.push_back(port.device);
    }
    // a system without any list of ports is not told about it
    if (m_names.empty() && showMessage && ComPortListAvailable(roots))
        showMessage(kNoComPortMessage);
}
