// The platform's serial device, one implementation per OS. Each operation is the
// counterpart of one Windows communications call and reports success as true.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "hollet/port_types.h"

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // CreateFileA: opens the device named "\\.\COMn" for reading and writing,
    // without sharing; the handle, or kInvalidPortHandle.
    virtual PortHandle Open(const char* devName) = 0;
    // CloseHandle.
    virtual void Close() = 0;

    virtual bool GetState(CommState& state) = 0;                        // GetCommState
    virtual bool SetState(const CommState& state) = 0;                  // SetCommState
    virtual bool SetupQueues(unsigned long in, unsigned long out) = 0;  // SetupComm
    virtual bool GetTimeouts(CommTimeouts& timeouts) = 0;               // GetCommTimeouts
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;         // SetCommTimeouts
    virtual bool Purge(unsigned long flags) = 0;                        // PurgeComm

    // ReadFile: reads up to `length` bytes under the time-outs in force. False
    // when the device failed (it was unplugged, or the wait was cancelled).
    virtual bool Read(void* buffer, unsigned long length, unsigned long* got) = 0;
    // WriteFile: writes all `length` bytes unless the device fails, and
    // returns once they have left the port (the output has drained), so that
    // a reply's times count from the end of the request on the wire.
    virtual bool Write(const void* data, unsigned long length, unsigned long* written) = 0;

    // May be called from any thread: a read that waits, or that starts before
    // the next Close, returns at once. Never cuts a write short.
    virtual void CancelWait() = 0;

    // The device went away while open (it hung up, or a transfer failed as
    // one does on a device that is no longer there): the line has let it go
    // and every operation fails until Reopen succeeds or Close is called.
    virtual bool Gone() const = 0;
    // Opens again, with the same rules as Open, the device path that the last
    // Open reached (a link is followed anew); the handle, or kInvalidPortHandle
    // with the line still gone.
    virtual PortHandle Reopen() = 0;
    // Lets the device go again as if it had gone (one that came back but
    // could not be set up).
    virtual void Abandon() = 0;
    // After a Reopen that found another device at the path than the one the
    // last Open reached, and left it alone: both, described. None otherwise,
    // and on systems that cannot tell devices apart.
    struct OtherDevice {
        std::string found;
        std::string own;
    };
    virtual std::optional<OtherDevice> OtherDeviceFound() const { return std::nullopt; }
};

std::unique_ptr<SerialLine> CreateSerialLine();
