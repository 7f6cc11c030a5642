// The serial (COM) port. A reply counts as complete when the line has been
// silent for the interval time-out after its last byte.
//
// When the device goes away under an open port (a USB adapter pulled out: the
// line hangs up, or reads and writes fail with an I/O error), the port stays
// open with its settings and, at the next transfer and then at most every
// kReopenInterval, opens the same device path again; once that succeeds it
// gets back its line settings and time-outs and the transfer goes ahead. Every
// transfer in between fails at once. Where the system can tell devices apart
// (a USB adapter's vendor, product and serial number), only the device that
// was opened is taken back: another one that now has the name is left alone,
// and GetDevicePresence says so.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "hollet/CxBasePort.h"
#include "hollet/device_presence.h"
#include "hollet/port_types.h"
#include "hollet/reply_timing.h"

class SerialLine;

class CxComm : public CxBasePort, public CxReplyTiming, public CxDevicePresence {
public:
    CxComm();
    ~CxComm() override;

    // Opens port 1 to 1024 and sets its line; 1 on success, 0 on failure.
    int Open(unsigned long port, unsigned long baudRate, unsigned char parity,
             unsigned char byteSize, unsigned char stopBits);
    // The same with a line setting such as "19200,n,8,1". A setting that cannot
    // be read returns 0 and leaves an open port open.
    int Open(unsigned long port, const char* settings);

    int IsOpen() override;
    unsigned long Write(void* data, unsigned long length) override;
    unsigned long Read(void* buffer, unsigned long length) override;
    int SetTimeouts(unsigned long total, unsigned long interval) override;
    int SetTimeouts(unsigned long readInterval, unsigned long readMultiplier,
                    unsigned long readConstant, unsigned long writeMultiplier,
                    unsigned long writeConstant);
    int Purge() override;
    int Purge(unsigned long flags);
    void Close() override;

    unsigned long GetPort() const { return m_nPort; }
    unsigned long GetBaud() const { return m_dcb.BaudRate; }

    // The times of the last Read from the end of the last Write.
    ReplyTimes GetLastReplyTimes() const override { return m_replyClock.Times(); }
    DevicePresence GetDevicePresence() const override;

    // How often a device that has gone is looked for.
    static constexpr std::chrono::milliseconds kReopenInterval{300};

    static constexpr unsigned long kMaxPort = 1024;
    static constexpr unsigned long kQueueSize = 4096;
    static constexpr unsigned long kOpenReadTimeout = 200;
    static constexpr unsigned long kPurgeAll =
        kPurgeTxAbort | kPurgeRxAbort | kPurgeTxClear | kPurgeRxClear;

protected:
    virtual int OpenPort();
    virtual int SetupPort();
    int SetState(unsigned long baudRate, unsigned char parity, unsigned char byteSize,
                 unsigned char stopBits);

    std::atomic<PortHandle> m_hFile{kInvalidPortHandle};
    std::uint32_t m_nPort = 0xFFFFFFFF;
    char m_szDevName[64] = {};
    CommState m_dcb;
    CommTimeouts m_timeouts;

private:
    // False while the device has gone and could not be opened again.
    bool DeviceThere();
    // After a transfer: the device went away during it.
    void NoteDeviceGone();
    void SetPresence(DevicePresence::State state, std::string otherDevice = {},
                     std::string ownDevice = {});

    // The platform's serial device behind m_hFile; lives as long as the object.
    std::unique_ptr<SerialLine> m_line;
    std::atomic<bool> m_closing{false};  // a Close is under way
    ReplyClock m_replyClock;
    mutable std::mutex m_presenceLock;  // never held while the device is used
    DevicePresence m_presence;
};
