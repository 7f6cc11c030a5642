// Port selection: the COM port list, opening and closing the serial port and
// the HID reader. At most one port is open; it is the current port.
#include <climits>
#include <cstdio>
#include <string_view>

#include "language_texts.h"
#include "main_dialog.h"
#include "quillard/com_port_list.h"
#include "quillard/field_parse.h"

namespace {

constexpr int kComName = 1058;
constexpr int kLineSetting = 1060;
constexpr int kCharTimeout = 1087;
constexpr int kComOpen = 1015;
constexpr int kHidList = 1088;
constexpr int kHidSearch = 1091;
constexpr int kHidOpen = 1062;
constexpr int kDefaultLineSetting = 4;  // "19200, n,8,1"
constexpr unsigned long kNoHidDevice = 0xFFFFFFFF;

// "\\.\COM3" → "COM3 (ttyS2)": the name the open button reads, and the device.
std::string ComListEntry(std::string_view name, std::string_view device)
{
    while (!name.empty() && (name.front() == '\\' || name.front() == '.'))
        name.remove_prefix(1);
    if (device.starts_with("/dev/")) device.remove_prefix(5);
    std::string entry(name);
    if (!device.empty()) entry.append(" (").append(device).append(")");
    return entry;
}

std::string WithoutBlanks(std::string text)
{
    std::erase(text, ' ');
    return text;
}

// "%d" of a message replaced by `number`.
std::string WithNumber(const char* format, unsigned long number)
{
    char text[128];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

}  // namespace

void MainDialog::SetCaption(int id, const char* chinese, const char* english)
{
    m_window->SetItemText(id, InLanguage(m_nLanguage, chinese, english));
}

void MainDialog::FillComList()
{
    m_window->ResetContent(kComName);
    const ComPortList ports([this](const std::string& message) { MessageBox(message); });
    for (std::size_t i = 0; i < ports.Names().size(); ++i)
        m_window->AddString(kComName, ComListEntry(ports.Names()[i], ports.Devices()[i]));
    if (m_window->GetCount(kComName) > 0) m_window->SetCurSel(kComName, 0);
    m_window->SetCurSel(kLineSetting, kDefaultLineSetting);
}

void MainDialog::OnEditchangeComList()
{
    FillComList();
}

// Closes `port`, twice if it stays open, after switching a running loop off;
// the worker is joined once the port is closed (which ends a reply it is
// waiting for). True once the port is closed.
bool MainDialog::ClosePortStoppingLoop(CxBasePort& port)
{
    if (GetLooping()) {
        SwitchLoopOff();
        EnableSendControls(true);
    }
    port.Close();
    if (port.IsOpen()) port.Close();
    JoinLoopWorker();
    return !port.IsOpen();
}

// Makes `port` (or none) the current port, with the open button's caption and
// the controls that stay locked while a port is open.
void MainDialog::SetOpenPort(CxBasePort* port, int openButton, std::span<const int> locked)
{
    m_engine.SetCurrentPort(port);
    if (port)
        SetCaption(openButton, "关闭", "Close");
    else
        SetCaption(openButton, "打开", "Open");
    for (int id : locked)
        m_window->EnableItem(id, port == nullptr);
}

void MainDialog::OnComOpen()
{
    UpdateData(true);
    static constexpr int kLockedWhileOpen[] = {kComName, kLineSetting, kCharTimeout,
                                               kHidList, kHidSearch,   kHidOpen};
    if (m_comm.IsOpen()) {
        if (!ClosePortStoppingLoop(m_comm)) {
            MessageBox(WithNumber("close COM %lu Failed！", m_comm.GetPort()));
            return;
        }
        SetOpenPort(nullptr, kComOpen, kLockedWhileOpen);
        return;
    }
    JoinLoopWorker();  // the port changes only with no worker left
    const std::string portText = m_window->GetItemText(kComName);
    const std::string lineSetting = WithoutBlanks(m_window->GetItemText(kLineSetting));
    const unsigned long port = NumberAfterLeading(portText, "COM");
    if (!m_comm.Open(port, lineSetting.c_str())) {
        MessageBox(WithNumber("Open COM %lu Failed！", port));
        return;
    }
    SetOpenPort(&m_comm, kComOpen, kLockedWhileOpen);
}

void MainDialog::OnHidSearch()
{
    if (m_hid.IsOpen()) return;
    m_window->ResetContent(kHidList);
    unsigned long index = CxHid::FindFirstHidDev();
    if (index == kNoHidDevice) {
        AppendLog("No Find Vemra HID Device!");
        return;
    }
    while (index != kNoHidDevice) {
        m_window->AddString(kHidList, WithNumber("Vemra HIDDevice ID: %lu", index));
        index = CxHid::FindNextHidDev(index);
    }
    m_window->SetCurSel(kHidList, 0);
}

void MainDialog::OnHidOpen()
{
    static constexpr int kLockedWhileOpen[] = {kComName,     kLineSetting, kHidList,
                                               kCharTimeout, kHidSearch,   kComOpen};
    if (m_hid.IsOpen()) {
        if (!ClosePortStoppingLoop(m_hid)) {
            char name[1024] = {};
            if (m_hid.GetDevName(name)) {
                char text[1200];
                std::snprintf(text, sizeof text,
                              InLanguage(m_nLanguage, "%s 关闭失败！", "Close %s Failed!"), name);
                MessageBox(text);
            }
            return;
        }
        SetOpenPort(nullptr, kHidOpen, kLockedWhileOpen);
        return;
    }
    JoinLoopWorker();
    const unsigned long index =
        NumberAfterLeading(m_window->GetItemText(kHidList), "Vemra HIDDevice ID: ");
    if (!m_hid.Open(index)) {
        MessageBox(WithNumber(InLanguage(m_nLanguage, "Vemra HIDDevice ID: %lu 打开失败！",
                                         "Vemra HIDDevice ID: %lu Open failed!"),
                              index));
        return;
    }
    SetOpenPort(&m_hid, kHidOpen, kLockedWhileOpen);
}
