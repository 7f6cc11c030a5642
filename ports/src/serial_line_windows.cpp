// The serial device on Windows: the communications calls as they are named,
// on a handle opened without overlapping and without sharing.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "serial_line.h"

namespace {

class WindowsSerialLine : public SerialLine {
public:
    ~WindowsSerialLine() override { Close(); }

    PortHandle Open(const char* devName) override
    {
        HANDLE handle = CreateFileA(devName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return kInvalidPortHandle;
        m_handle = handle;
        m_cancelled = false;
        return reinterpret_cast<PortHandle>(handle);
    }

    void Close() override
    {
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
        state.BaudRate = dcb.BaudRate;
        state.ByteSize = dcb.ByteSize;
        state.Parity = dcb.Parity;
        state.StopBits = dcb.StopBits;
        state.fParity = dcb.fParity != 0;
        return true;
    }

    bool SetState(const CommState& state) override
    {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(m_handle, &dcb)) return false;
        dcb.BaudRate = state.BaudRate;
        dcb.ByteSize = state.ByteSize;
        dcb.Parity = state.Parity;
        dcb.StopBits = state.StopBits;
        dcb.fParity = state.fParity ? TRUE : FALSE;
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
        return SetCommTimeouts(m_handle, &t) != 0;
    }

    bool Purge(unsigned long flags) override { return PurgeComm(m_handle, flags) != 0; }

    // The reading thread is known while it reads, so that CancelWait can end
    // its ReadFile with CancelSynchronousIo.
    bool Read(void* buffer, unsigned long length, unsigned long* got) override
    {
        *got = 0;
        {
            std::lock_guard lock(m_readerLock);
            if (m_cancelled) return false;
            m_reader = OpenThread(THREAD_TERMINATE, FALSE, GetCurrentThreadId());
        }
        DWORD read = 0;
        const BOOL ok = ReadFile(m_handle, buffer, length, &read, nullptr);
        {
            std::lock_guard lock(m_readerLock);
            if (m_reader) CloseHandle(m_reader);
            m_reader = nullptr;
        }
        *got = read;
        return ok && !m_cancelled;
    }

    bool Write(const void* data, unsigned long length, unsigned long* written) override
    {
        DWORD done = 0;
        const BOOL ok = WriteFile(m_handle, data, length, &done, nullptr);
        *written = done;
        return ok && done == length;
    }

    void CancelWait() override
    {
        std::lock_guard lock(m_readerLock);
        m_cancelled = true;
        if (m_reader) CancelSynchronousIo(m_reader);
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::mutex m_readerLock;
    HANDLE m_reader = nullptr;
    std::atomic<bool> m_cancelled{false};
};

}  // namespace

std::unique_ptr<SerialLine> CreateSerialLine()
{
    return std::make_unique<WindowsSerialLine>();
}
