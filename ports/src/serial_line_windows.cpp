// The serial device on Windows: the communications calls as they are named,
// on a handle opened without overlapping and without sharing.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>

#include "comm_state_windows.h"
#include "serial_line.h"

namespace {

// A handle to the calling thread, opened once per thread, with which another
// thread can cancel its synchronous I/O.
class CurrentThreadHandle {
public:
    CurrentThreadHandle() : m_handle(OpenThread(THREAD_TERMINATE, FALSE, GetCurrentThreadId())) {}
    ~CurrentThreadHandle()
    {
        if (m_handle) CloseHandle(m_handle);
    }
    CurrentThreadHandle(const CurrentThreadHandle&) = delete;
    CurrentThreadHandle& operator=(const CurrentThreadHandle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

HANDLE ThisThread()
{
    thread_local CurrentThreadHandle self;
    return self.Get();
}

// How long a one-byte ReadFile may wait under `t`: 0 returns at once,
// INFINITE waits for a byte however long it takes.
DWORD OneByteWait(const COMMTIMEOUTS& t)
{
    if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
        t.ReadTotalTimeoutConstant == 0)
        return 0;
    if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD)
        return t.ReadTotalTimeoutConstant;
    const unsigned long long total =
        static_cast<unsigned long long>(t.ReadTotalTimeoutMultiplier) + t.ReadTotalTimeoutConstant;
    if (total == 0) return INFINITE;
    return static_cast<DWORD>(std::min<unsigned long long>(total, INFINITE - 1));
}

// A long wait for one byte is made of waits of at most this long, between
// which a cancel is seen: CancelSynchronousIo ends a ReadFile at once where the
// driver lets it, and not every driver (nor Wine) does.
constexpr DWORD kWaitSlice = 100;

// What a transfer on a COM port whose device was removed fails with (the
// drivers of USB serial adapters differ, and so do the Windows versions).
bool DeviceRemovedError(DWORD error)
{
    switch (error) {
        case ERROR_BAD_COMMAND:
        case ERROR_ACCESS_DENIED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY: return true;
        default: return false;
    }
}

class WindowsSerialLine : public SerialLine {
public:
    ~WindowsSerialLine() override { Close(); }

    PortHandle Open(const char* devName) override
    {
        m_devName = devName;
        m_gone = false;
        return OpenName();
    }

    // The same name again: Windows gives a re-plugged adapter its COM number back.
    PortHandle Reopen() override
    {
        if (!m_gone) return kInvalidPortHandle;
        const PortHandle handle = OpenName();
        if (handle != kInvalidPortHandle) m_gone = false;
        return handle;
    }

    bool Gone() const override { return m_gone; }

    void Abandon() override
    {
        if (m_handle != INVALID_HANDLE_VALUE) LetGo();
    }

    void Close() override
    {
        m_gone = false;
        if (m_handle == INVALID_HANDLE_VALUE) return;
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        m_cancelled = false;
    }

    bool GetState(CommState& state) override
    {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(m_handle, &dcb)) return false;
        CopyDcbToState(dcb, state);
        return true;
    }

    bool SetState(const CommState& state) override
    {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(m_handle, &dcb)) return false;
        CopyStateToDcb(state, dcb);
        return SetCommState(m_handle, &dcb) != 0;
    }

    bool SetupQueues(unsigned long in, unsigned long out) override
    {
        return SetupComm(m_handle, in, out) != 0;
    }

    bool GetTimeouts(CommTimeouts& timeouts) override
    {
        COMMTIMEOUTS t{};
        if (!GetCommTimeouts(m_handle, &t)) return false;
        timeouts = {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                    t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
        return true;
    }

    bool SetTimeouts(const CommTimeouts& timeouts) override
    {
        COMMTIMEOUTS t{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                       timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                       timeouts.WriteTotalTimeoutConstant};
        if (!SetCommTimeouts(m_handle, &t)) return false;
        m_timeouts = t;
        return true;
    }

    bool Purge(unsigned long flags) override
    {
        return PurgeComm(m_handle, flags) != 0 || FailedForGood();
    }

    // The reading thread is known while it reads, so that CancelWait can end
    // its ReadFile with CancelSynchronousIo.
    bool Read(void* buffer, unsigned long length, unsigned long* got) override
    {
        *got = 0;
        {
            std::lock_guard lock(m_readerLock);
            if (m_cancelled) return false;
            m_reader = ThisThread();
        }
        const DWORD wait = length == 1 ? OneByteWait(m_timeouts) : 0;
        DWORD read = 0;
        BOOL ok = TRUE;
        if (wait <= kWaitSlice) {
            ok = ReadFile(m_handle, buffer, length, &read, nullptr);
        } else {
            const ULONGLONG start = GetTickCount64();
            for (;;) {
                const ULONGLONG waited = GetTickCount64() - start;
                if (wait != INFINITE && waited >= wait) break;
                const DWORD slice =
                    wait == INFINITE
                        ? kWaitSlice
                        : static_cast<DWORD>(std::min<ULONGLONG>(kWaitSlice, wait - waited));
                COMMTIMEOUTS t{0, 0, slice, m_timeouts.WriteTotalTimeoutMultiplier,
                               m_timeouts.WriteTotalTimeoutConstant};
                ok = SetCommTimeouts(m_handle, &t) && ReadFile(m_handle, buffer, 1, &read, nullptr);
                if (!ok || read > 0 || m_cancelled) break;
            }
            SetCommTimeouts(m_handle, &m_timeouts);  // the caller's time-outs again
        }
        {
            std::lock_guard lock(m_readerLock);
            m_reader = nullptr;
        }
        *got = read;
        if (!ok && !m_cancelled) return FailedForGood();
        return ok && !m_cancelled;
    }

    // Returns once the bytes have gone out, as far as Windows can tell, so that
    // the reply's clock starts at the end of the request. WriteFile on a
    // handle without overlapping returns once the driver has taken the bytes,
    // which it may still hold (at 9600 baud 64 bytes take 67 ms to go out).
    // FlushFileBuffers returns once the driver has sent all it holds (under
    // Wine it is tcdrain, as on Linux); only what a UART or a USB adapter keeps
    // in its own FIFO is beyond it. Like the write, it has no time-out of its
    // own. Waiting for EV_TXEMPTY instead would need an overlapped handle: on
    // this one WaitCommEvent has no time-out and holds up every other call on
    // the port. A driver that cannot drain fails the flush, and the clock then
    // starts where the write ended.
    bool Write(const void* data, unsigned long length, unsigned long* written) override
    {
        DWORD done = 0;
        const BOOL ok = WriteFile(m_handle, data, length, &done, nullptr);
        *written = done;
        if (!ok) return FailedForGood();
        if (done != length) return false;  // the write time-out ended it
        FlushFileBuffers(m_handle);
        return true;
    }

    void CancelWait() override
    {
        std::lock_guard lock(m_readerLock);
        m_cancelled = true;
        if (m_reader) CancelSynchronousIo(m_reader);
    }

private:
    PortHandle OpenName()
    {
        HANDLE handle = CreateFileA(m_devName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return kInvalidPortHandle;
        m_handle = handle;
        m_cancelled = false;
        if (!GetCommTimeouts(handle, &m_timeouts)) m_timeouts = {};
        return reinterpret_cast<PortHandle>(handle);
    }

    // A handle whose device has gone is closed at once, so that the driver
    // can give the port to the adapter when it comes back.
    void LetGo()
    {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        m_gone = true;
    }
    // False always; a failure of a device that is no longer there lets it go.
    bool FailedForGood()
    {
        if (m_handle != INVALID_HANDLE_VALUE && DeviceRemovedError(GetLastError())) LetGo();
        return false;
    }

    std::string m_devName;  // the name of the last Open
    bool m_gone = false;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    COMMTIMEOUTS m_timeouts{};  // the last set, which Read's slices stand in for
    std::mutex m_readerLock;
    HANDLE m_reader = nullptr;
    std::atomic<bool> m_cancelled{false};
};

}  // namespace

std::unique_ptr<SerialLine> CreateSerialLine()
{
    return std::make_unique<WindowsSerialLine>();
}
