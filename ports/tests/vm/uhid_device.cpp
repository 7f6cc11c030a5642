#include "uhid_device.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

// One vendor-defined collection with a 64-byte input report and a 64-byte
// output report, without report IDs: the reader's descriptor.
constexpr unsigned char kReportDescriptor[] = {
    0x06, 0x00, 0xFF,  // Usage Page (vendor-defined 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x09, 0x02,        //   Usage (2)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x40,        //   Report Count (64)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x09, 0x03,        //   Usage (3)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x40,        //   Report Count (64)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

}  // namespace

UhidDevice::UhidDevice(std::uint16_t vendorId, std::uint16_t productId, const std::string& name)
{
    m_stop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const int fd = ::open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 || m_stop < 0) {
        std::perror("/dev/uhid");
        if (fd >= 0) ::close(fd);
        return;
    }
    uhid_event event{};
    event.type = UHID_CREATE2;
    auto& create = event.u.create2;
    std::snprintf(reinterpret_cast<char*>(create.name), sizeof create.name, "%s", name.c_str());
    std::snprintf(reinterpret_cast<char*>(create.phys), sizeof create.phys, "uhid-%04x-%04x",
                  vendorId, productId);
    create.rd_size = sizeof kReportDescriptor;
    std::memcpy(create.rd_data, kReportDescriptor, sizeof kReportDescriptor);
    create.bus = 0x03;  // BUS_USB
    create.vendor = vendorId;
    create.product = productId;
    create.version = 0x0100;
    m_fd = fd;
    if (!Send(&event, sizeof event)) {
        std::perror("UHID_CREATE2");
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_server = std::thread([this] { Serve(); });
}

UhidDevice::~UhidDevice()
{
    if (m_server.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto ignored = ::write(m_stop, &one, sizeof one);
        m_server.join();
    }
    Unplug();
    if (m_fd >= 0) ::close(m_fd);  // also removes a device still present
    if (m_stop >= 0) ::close(m_stop);
}

bool UhidDevice::Send(const void* event, std::size_t size)
{
    return ::write(m_fd, event, size) == static_cast<ssize_t>(size);
}

bool UhidDevice::SendInputReport(const Bytes& data)
{
    uhid_event event{};
    event.type = UHID_INPUT2;
    const std::size_t size = std::min(data.size(), sizeof event.u.input2.data);
    event.u.input2.size = static_cast<std::uint16_t>(size);
    std::copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size), event.u.input2.data);
    std::lock_guard<std::mutex> guard(m_lock);
    return !m_unplugged && Send(&event, sizeof event);
}

void UhidDevice::QueueInputReport(Bytes data)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_inputReports.push_back(std::move(data));
}

void UhidDevice::SetWhenEmpty(WhenEmpty behaviour)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_whenEmpty = behaviour;
}

std::vector<UhidDevice::Received> UhidDevice::WaitForOutput(std::size_t count,
                                                            std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> guard(m_lock);
    m_changed.wait_for(guard, wait, [&] { return m_received.size() >= count; });
    return m_received;
}

std::vector<UhidDevice::Request> UhidDevice::InputRequests()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

void UhidDevice::Unplug()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_fd < 0 || m_unplugged) return;
    uhid_event event{};
    event.type = UHID_DESTROY;
    Send(&event, sizeof event.type);
    m_unplugged = true;
}

// Replies to a request: a GET_REPORT for an input report with the next
// queued report (or an error, or not at all), any other with success.
void UhidDevice::Answer(std::uint32_t id, bool isGetReport, std::uint8_t reportType)
{
    uhid_event reply{};
    if (!isGetReport) {
        reply.type = UHID_SET_REPORT_REPLY;
        reply.u.set_report_reply.id = id;
        Send(&reply, sizeof reply);
        return;
    }
    reply.type = UHID_GET_REPORT_REPLY;
    auto& answer = reply.u.get_report_reply;
    answer.id = id;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (reportType != UHID_INPUT_REPORT || m_inputReports.empty()) {
            if (m_whenEmpty == WhenEmpty::kStaySilent) return;
            answer.err = EIO;
        } else {
            const Bytes data = std::move(m_inputReports.front());
            m_inputReports.pop_front();
            const std::size_t size = std::min<std::size_t>(data.size(), UHID_DATA_MAX - 1);
            answer.data[0] = 0;  // the report number
            std::memcpy(answer.data + 1, data.data(), size);
            answer.size = static_cast<std::uint16_t>(size + 1);
        }
    }
    Send(&reply, sizeof reply);
}

void UhidDevice::Serve()
{
    for (;;) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_stop, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents & POLLIN) return;
        if (!(fds[0].revents & POLLIN)) {
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return;
            continue;
        }
        uhid_event event{};
        if (::read(m_fd, &event, sizeof event) <= 0) continue;
        switch (event.type) {
            case UHID_OUTPUT: {
                const auto& output = event.u.output;
                std::lock_guard<std::mutex> guard(m_lock);
                m_received.push_back(
                    {UHID_OUTPUT, output.rtype, Bytes(output.data, output.data + output.size)});
                m_changed.notify_all();
                break;
            }
            case UHID_SET_REPORT: {
                const auto& set = event.u.set_report;
                {
                    std::lock_guard<std::mutex> guard(m_lock);
                    m_received.push_back(
                        {UHID_SET_REPORT, set.rtype, Bytes(set.data, set.data + set.size)});
                    m_changed.notify_all();
                }
                Answer(set.id, false, set.rtype);
                break;
            }
            case UHID_GET_REPORT: {
                const auto& get = event.u.get_report;
                {
                    std::lock_guard<std::mutex> guard(m_lock);
                    m_requests.push_back({get.rnum, get.rtype});
                }
                Answer(get.id, true, get.rtype);
                break;
            }
            default: break;  // start, stop, open, close
        }
    }
}

bool WaitForHidrawInterfaces(std::size_t count, std::chrono::milliseconds wait)
{
    namespace fs = std::filesystem;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        std::size_t present = 0;
        std::error_code error;
        for (const auto& item : fs::directory_iterator("/sys/class/hidraw", error))
            if (fs::exists("/dev" / item.path().filename(), error)) ++present;
        if (present == count) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string HidrawVendorProduct(const std::string& hidrawName)
{
    // HID_ID=0003:000010C4:00000007
    std::ifstream uevent("/sys/class/hidraw/" + hidrawName + "/device/uevent");
    std::string line;
    while (std::getline(uevent, line)) {
        unsigned bus = 0, vendor = 0, product = 0;
        if (std::sscanf(line.c_str(), "HID_ID=%x:%x:%x", &bus, &vendor, &product) == 3) {
            char text[16];
            std::snprintf(text, sizeof text, "%04X:%04X", vendor, product);
            return text;
        }
    }
    return {};
}
