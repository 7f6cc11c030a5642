// Hollet: the one port interface through which the console talks to a reader,
// whatever the wire.
#pragma once

#include <mutex>

class CxBasePort {
public:
    CxBasePort();
    virtual ~CxBasePort();

    // A copy would share the device handle and the lock with the original, so
    // that one object's Close would pull the device from under the other: ports
    // cannot be copied.
    CxBasePort(const CxBasePort&) = delete;
    CxBasePort& operator=(const CxBasePort&) = delete;

    // Non-zero exactly while a device is open.
    virtual int IsOpen() = 0;
    // Sends `length` bytes; the number sent, 0 when nothing went out.
    virtual unsigned long Write(void* data, unsigned long length) = 0;
    // Receives one reply of at most `length` bytes; the byte count, 0 when
    // nothing came.
    virtual unsigned long Read(void* buffer, unsigned long length) = 0;
    // `total`: the wait for the first byte of a reply; `interval`: the silence
    // after which a reply counts as complete (both in milliseconds).
    virtual int SetTimeouts(unsigned long total, unsigned long interval) = 0;
    // Discards whatever is pending in both directions.
    virtual int Purge() = 0;
    // Releases the device; does nothing when already closed.
    virtual void Close() = 0;

protected:
    // Held by Write, Read and Close for the whole transfer or closing, so that a
    // port closed from one thread waits for a transfer under way on another.
    std::recursive_mutex m_lock;
};
