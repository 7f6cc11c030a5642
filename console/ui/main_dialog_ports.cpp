// Port selection: the COM port list, opening and closing the serial port and
// the HID reader. At most one port is open; it is the current port.
#include "language_texts.h"
#include "main_dialog.h"
#include "quillard/com_port_list.h"
#include "quillard/port_texts.h"

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

}  // namespace

void MainDialog::SetCaption(int id, const char* chinese, const char* english)
{
    m_window->SetItemText(id, InLanguage(m_nLanguage, chinese, english));
}

// Each entry is the port's name; the dropped list shows the device beside it.
void MainDialog::FillComList()
{
    m_window->ResetContent(kComName);
    const ComPortList ports([this](const std::string& message) { MessageBox(message); });
    for (std::size_t i = 0; i < ports.Names().size(); ++i)
        m_window->AddString(kComName, ComNameText(ports.Names()[i]),
                            DeviceText(ports.Devices()[i]));
    if (m_window->GetCount(kComName) > 0) m_window->SetCurSel(kComName, 0);
    m_window->SetCurSel(kLineSetting, kDefaultLineSetting);
}

void MainDialog::OnEditchangeComList()
{
    FillComList();
}

// The COM Open/Close button takes clicks unless the HID reader is open: nothing
// opens both ports.
void MainDialog::EnableComOpenButton(bool enable)
{
    m_window->EnableItem(kComOpen, enable && !m_hid.IsOpen());
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
    const ExchangeOutcome taken = TakeValues();  // the handler goes on whatever it reports
    static constexpr int kLockedWhileOpen[] = {kComName, kLineSetting, kCharTimeout,
                                               kHidList, kHidSearch,   kHidOpen};
    if (m_comm.IsOpen()) {
        if (!ClosePortStoppingLoop(m_comm)) {
            MessageBox("close COM " + std::to_string(m_comm.GetPort()) + " Failed！");
            return;
        }
        SetOpenPort(nullptr, kComOpen, kLockedWhileOpen);
        return;
    }
    JoinLoopWorker();  // the port changes only with no worker left
    const unsigned long port = ComNumberFromText(m_window->GetItemText(kComName));
    const std::string lineSetting = LineSettingWithoutBlanks(m_window->GetItemText(kLineSetting));
    if (!m_comm.Open(port, lineSetting.c_str())) {
        MessageBox(ComOpenFailedMessage(port));
        return;
    }
    SetOpenPort(&m_comm, kComOpen, kLockedWhileOpen);
    m_presenceNotices.Reset();
    if (taken != ExchangeOutcome::kTaken) {
        // The port goes on with the character time-out it had (a value that
        // failed before it leaves it untaken as well); the locked edit shows
        // that one rather than the text that was not taken.
        m_nCharTimeout = static_cast<unsigned>(m_engine.GetCharTimeout());
        m_window->SetItemText(kCharTimeout, std::to_string(m_nCharTimeout));
    }
}

void MainDialog::OnHidSearch()
{
    if (m_hid.IsOpen()) return;
    m_window->ResetContent(kHidList);
    unsigned long index = CxHid::FindFirstHidDev();
    if (index == kNoHidDevice) {
        AppendLog(kNoHidDeviceText);
        return;
    }
    while (index != kNoHidDevice) {
        m_window->AddString(kHidList, HidEntryText(index));
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
                const std::string path = name;
                MessageBox(m_nLanguage == 1 ? "Close " + path + " Failed!" : path + " 关闭失败！");
            }
            return;
        }
        SetOpenPort(nullptr, kHidOpen, kLockedWhileOpen);
        return;
    }
    JoinLoopWorker();
    const unsigned long index = HidIndexFromEntry(m_window->GetItemText(kHidList));
    if (!m_hid.Open(index)) {
        MessageBox(HidOpenFailedMessage(index, m_nLanguage));
        return;
    }
    SetOpenPort(&m_hid, kHidOpen, kLockedWhileOpen);
}
