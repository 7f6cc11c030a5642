#include "port_list.h"

#include "hollet/CxHid.h"
#include "quillard/com_port_list.h"
#include "quillard/port_texts.h"
#include "runner_output.h"

void ListPorts()
{
    const ComPortList ports([](const std::string& message) { WriteMessageLine(message); });
    for (std::size_t i = 0; i < ports.Names().size(); ++i)
        WriteConsoleText(stdout, ComListEntryText(ports.Names()[i], ports.Devices()[i]) + "\n");
    unsigned long index = CxHid::FindFirstHidDev();
    if (index == CxHid::kNoDevice) WriteConsoleText(stdout, std::string(kNoHidDeviceText) + "\n");
    for (; index != CxHid::kNoDevice; index = CxHid::FindNextHidDev(index))
        WriteConsoleText(stdout, HidEntryText(index) + "\n");
}
