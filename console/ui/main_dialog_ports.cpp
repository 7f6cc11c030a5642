// Port selection: the COM port list, opening and closing the serial port and
// the HID reader. At most one port is open; it is the current port.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <climits>

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
QString ComListEntry(const std::string& name, const std::string& device)
{
    QString entry = QString::fromStdString(name);
    while (!entry.isEmpty() && (entry.front() == '\\' || entry.front() == '.'))
        entry.remove(0, 1);
    QString shown = QString::fromStdString(device);
    if (shown.startsWith(QStringLiteral("/dev/"))) shown.remove(0, 5);
    return shown.isEmpty() ? entry : QStringLiteral("%1 (%2)").arg(entry, shown);
}

}  // namespace

void MainDialog::SetCaption(int id, const char* chinese, const char* english)
{
    Item<QAbstractButton>(id)->setText(
        QString::fromUtf8(InLanguage(m_nLanguage, chinese, english)));
}

void MainDialog::FillComList()
{
    auto* box = Item<QComboBox>(kComName);
    box->clear();
    const ComPortList ports(
        [this](const std::string& message) { MessageBox(QString::fromStdString(message)); });
    for (std::size_t i = 0; i < ports.Names().size(); ++i)
        box->addItem(ComListEntry(ports.Names()[i], ports.Devices()[i]));
    if (box->count() > 0) box->setCurrentIndex(0);
    Item<QComboBox>(kLineSetting)->setCurrentIndex(kDefaultLineSetting);
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
        GetDlgItem(id)->setEnabled(port == nullptr);
}

void MainDialog::OnComOpen()
{
    UpdateData(true);
    static constexpr int kLockedWhileOpen[] = {kComName, kLineSetting, kCharTimeout,
                                               kHidList, kHidSearch,   kHidOpen};
    if (m_comm.IsOpen()) {
        if (!ClosePortStoppingLoop(m_comm)) {
            MessageBox(QStringLiteral("close COM %1 Failed！").arg(m_comm.GetPort()));
            return;
        }
        SetOpenPort(nullptr, kComOpen, kLockedWhileOpen);
        return;
    }
    JoinLoopWorker();  // the port changes only with no worker left
    const QString portText = Item<QComboBox>(kComName)->currentText();
    QString lineSetting = Item<QComboBox>(kLineSetting)->currentText();
    lineSetting.remove(QLatin1Char(' '));
    const unsigned long port = NumberAfterLeading(portText.toStdString(), "COM");
    if (!m_comm.Open(port, lineSetting.toStdString().c_str())) {
        MessageBox(QStringLiteral("Open COM %1 Failed！").arg(port));
        return;
    }
    SetOpenPort(&m_comm, kComOpen, kLockedWhileOpen);
}

void MainDialog::OnHidSearch()
{
    if (m_hid.IsOpen()) return;
    auto* box = Item<QComboBox>(kHidList);
    box->clear();
    unsigned long index = CxHid::FindFirstHidDev();
    if (index == kNoHidDevice) {
        AppendLog("No Find Vemra HID Device!");
        return;
    }
    while (index != kNoHidDevice) {
        box->addItem(QStringLiteral("Vemra HIDDevice ID: %1").arg(index));
        index = CxHid::FindNextHidDev(index);
    }
    box->setCurrentIndex(0);
}

void MainDialog::OnHidOpen()
{
    static constexpr int kLockedWhileOpen[] = {kComName,     kLineSetting, kHidList,
                                               kCharTimeout, kHidSearch,   kComOpen};
    if (m_hid.IsOpen()) {
        if (!ClosePortStoppingLoop(m_hid)) {
            char name[1024] = {};
            if (m_hid.GetDevName(name)) {
                MessageBox(
                    QString::fromUtf8(InLanguage(m_nLanguage, "%1 关闭失败！", "Close %1 Failed!"))
                        .arg(QString::fromLocal8Bit(name)));
            }
            return;
        }
        SetOpenPort(nullptr, kHidOpen, kLockedWhileOpen);
        return;
    }
    JoinLoopWorker();
    const unsigned long index = NumberAfterLeading(
        Item<QComboBox>(kHidList)->currentText().toStdString(), "Vemra HIDDevice ID: ");
    if (!m_hid.Open(index)) {
        MessageBox(QString::fromUtf8(InLanguage(m_nLanguage, "Vemra HIDDevice ID: %1 打开失败！",
                                                "Vemra HIDDevice ID: %1 Open failed!"))
                       .arg(index));
        return;
    }
    SetOpenPort(&m_hid, kHidOpen, kLockedWhileOpen);
}
