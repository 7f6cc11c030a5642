// The serial (COM) port. A reply counts as complete when the line has been
// silent for the interval time-out after its last byte.
//
// When the device goes away under an open port (a USB adapter pulled out: the
// line hangs up, or reads and writes fail with an I/O error), the port stays
// open with its settings and, before each later transfer, opens the same
// device path again; once that succeeds it gets back its line settings and
// time-outs and the transfer goes ahead. Until then every transfer fails at
// once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "hollet/CxBasePort.h"
#include "hollet/port_types.h"
#include "hollet/reply_timing.h"

class SerialLine;

class CxComm : public CxBasePort, public CxReplyTiming {
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

    // The platform's serial device behind m_hFile; lives as long as the object.
    std::unique_ptr<SerialLine> m_line;
    std::atomic<bool> m_closing{false};  // a Close is under way
    ReplyClock m_replyClock;
};
