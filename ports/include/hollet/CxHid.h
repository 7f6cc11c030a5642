// A Vemra reader attached over USB as a HID device: writes go out as 64-byte
// output reports, each read fetches one input report.
#pragma once

#include <atomic>
#include <cstdint>

#include "hollet/CxBasePort.h"
#include "hollet/port_types.h"
#include "hollet/reply_timing.h"

class CxHid : public CxBasePort, public CxReplyTiming {
public:
    CxHid();
    ~CxHid() override;

    static constexpr unsigned long kNoDevice = 0xFFFFFFFF;
    static constexpr std::uint16_t kVendorId = 0x10C4;
    static constexpr std::uint16_t kProductId = 0x0007;
    static constexpr unsigned long kReportData = 64;  // data bytes per output report
    static constexpr unsigned long kOutputReportSize = kReportData + 1;  // with the report ID
    static constexpr unsigned long kInputBufferSize = 4096;
    static constexpr unsigned long kNameSize = 1024;

    // Interface index of the first present Vemra reader, or kNoDevice.
    static unsigned long FindFirstHidDev();
    // Interface index of the next present Vemra reader after `index`, or kNoDevice.
    static unsigned long FindNextHidDev(unsigned long index);

    // Opens the reader at interface `index`; 1 when the port is open afterwards.
    int Open(unsigned long index);
    // Copies the device path into `name` (room for 1024 bytes) while open.
    int GetDevName(char* name);

    int IsOpen() override;
    unsigned long Write(void* data, unsigned long length) override;
    unsigned long Read(void* buffer, unsigned long length) override;
    int SetTimeouts(unsigned long total, unsigned long interval) override;
    int Purge() override;
    void Close() override;

    // The times of the last Read from the end of the last Write: a report
    // brings its bytes all at once, so both are the time it was fetched.
    ReplyTimes GetLastReplyTimes() const override { return m_replyClock.Times(); }

protected:
    std::atomic<PortHandle> m_hFile{kInvalidPortHandle};
    std::uint32_t m_nDevIndex = 0xFFFFFFFF;
    char m_szDevName[kNameSize] = {};
    std::uint32_t m_nTotalTimeout = 200;
    std::uint32_t m_nIntervalTimeout = 30;

private:
    static unsigned long SearchFrom(unsigned long start);

    unsigned char m_outReport[kOutputReportSize] = {};
    unsigned char m_inReport[kInputBufferSize] = {};
    ReplyClock m_replyClock;
};
