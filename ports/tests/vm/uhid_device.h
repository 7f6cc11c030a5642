// A HID device of the kernel's uhid driver, played from user space: while the
// object lives the kernel shows it as a hidraw interface. It records the output
// reports the kernel hands it and answers each request for an input report
// with the next report queued, the report number (0) first and the report's
// data after it, as the USB HID driver hands the report of a device without
// report IDs up to hidraw.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class UhidDevice {
public:
    using Bytes = std::vector<unsigned char>;
    // A report the kernel handed the device: UHID_OUTPUT or UHID_SET_REPORT,
    // with its report type and its bytes as the kernel gave them.
    struct Received {
        std::uint32_t event = 0;
        std::uint8_t reportType = 0;
        Bytes data;
    };
    // A request for a report (UHID_GET_REPORT).
    struct Request {
        std::uint8_t reportNumber = 0;
        std::uint8_t reportType = 0;
    };
    // How the device answers a request for an input report when none is queued.
    enum class WhenEmpty { kAnswerError, kStaySilent };

    // 64-byte input and output reports without report IDs.
    UhidDevice(std::uint16_t vendorId, std::uint16_t productId, const std::string& name);
    ~UhidDevice();
    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    // Whether the kernel took the device.
    bool Created() const { return m_fd >= 0; }

    // The data of the next input report (without the report number).
    void QueueInputReport(Bytes data);
    // An input report sent as the device's interrupt endpoint sends one,
    // unasked (its data, without the report number).
    bool SendInputReport(const Bytes& data);
    void SetWhenEmpty(WhenEmpty behaviour);
    // The reports received so far, once `count` have come or `wait` has passed.
    std::vector<Received> WaitForOutput(std::size_t count,
                                        std::chrono::milliseconds wait = std::chrono::seconds(5));
    std::vector<Request> InputRequests();
    // The device is unplugged: the kernel removes its interface.
    void Unplug();

private:
    void Serve();
    void Answer(std::uint32_t id, bool isGetReport, std::uint8_t reportType);
    bool Send(const void* event, std::size_t size);

    int m_fd = -1;
    int m_stop = -1;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Bytes> m_inputReports;
    std::vector<Received> m_received;
    std::vector<Request> m_requests;
    WhenEmpty m_whenEmpty = WhenEmpty::kAnswerError;
    bool m_unplugged = false;
    std::thread m_server;
};

// Waits until exactly `count` hidraw interfaces are present, in sysfs and as
// device nodes.
bool WaitForHidrawInterfaces(std::size_t count,
                             std::chrono::milliseconds wait = std::chrono::seconds(10));

// The "vendor:product" of a hidraw interface ("10C4:0007"), from sysfs.
std::string HidrawVendorProduct(const std::string& hidrawName);
