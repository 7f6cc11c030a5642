#include "hollet/CxComm.h"

#include <cstdio>

#include "serial_line.h"

CxComm::CxComm() : m_line(CreateSerialLine()) {}

CxComm::~CxComm()
{
    CxComm::Close();
}

int CxComm::Open(unsigned long port, unsigned long baudRate, unsigned char parity,
                 unsigned char byteSize, unsigned char stopBits)
{
    if (port == 0 || port > kMaxPort) return 0;
    m_nPort = static_cast<std::uint32_t>(port);
    std::snprintf(m_szDevName, sizeof m_szDevName, "\\\\.\\COM%lu", port);
    if (!OpenPort()) return 0;
    {
        std::lock_guard presence(m_presenceLock);
        m_presence = {};
    }
    if (SetState(baudRate, parity, byteSize, stopBits) && SetupPort()) return 1;
    Close();
    return 0;
}

int CxComm::Open(unsigned long port, const char* settings)
{
    CommState parsed = m_dcb;
    if (!settings || !BuildCommState(settings, parsed)) return 0;
    m_dcb = parsed;
    return Open(port, m_dcb.BaudRate, m_dcb.Parity, m_dcb.ByteSize, m_dcb.StopBits);
}

int CxComm::OpenPort()
{
    if (IsOpen()) Close();
    m_hFile = m_line->Open(m_szDevName);
    return IsOpen();
}

int CxComm::SetState(unsigned long baudRate, unsigned char parity, unsigned char byteSize,
                     unsigned char stopBits)
{
    if (!IsOpen()) return 0;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_line->GetState(m_dcb)) return 0;
    m_dcb.BaudRate = static_cast<std::uint32_t>(baudRate);
    m_dcb.ByteSize = byteSize;
    m_dcb.Parity = parity;
    m_dcb.StopBits = stopBits;
    m_dcb.fParity = parity != 0;
    return m_line->SetState(m_dcb) ? 1 : 0;
}

int CxComm::SetupPort()
{
    if (!IsOpen()) return 0;
    if (!m_line->SetupQueues(kQueueSize, kQueueSize)) return 0;
    if (!SetTimeouts(kOpenReadTimeout, kMaxDword)) return 0;
    return m_line->Purge(kPurgeAll) ? 1 : 0;
}

// A port that is being closed no longer counts as open.
int CxComm::IsOpen()
{
    return m_hFile.load() != kInvalidPortHandle && !m_closing.load();
}

// Every call that reaches the device holds the port's lock, so that a Close
// from another thread never pulls the device from under it.
int CxComm::SetTimeouts(unsigned long total, unsigned long interval)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!DeviceThere() || !m_line->GetTimeouts(m_timeouts)) return 0;
    m_timeouts.ReadIntervalTimeout = static_cast<std::uint32_t>(interval);
    m_timeouts.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(total);
    m_timeouts.ReadTotalTimeoutMultiplier = 0;
    m_timeouts.WriteTotalTimeoutMultiplier = 0;
    m_timeouts.WriteTotalTimeoutConstant = 0;
    return m_line->SetTimeouts(m_timeouts) ? 1 : 0;
}

int CxComm::SetTimeouts(unsigned long readInterval, unsigned long readMultiplier,
                        unsigned long readConstant, unsigned long writeMultiplier,
                        unsigned long writeConstant)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_timeouts.ReadIntervalTimeout = static_cast<std::uint32_t>(readInterval);
    m_timeouts.ReadTotalTimeoutMultiplier = static_cast<std::uint32_t>(readMultiplier);
    m_timeouts.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(readConstant);
    m_timeouts.WriteTotalTimeoutMultiplier = static_cast<std::uint32_t>(writeMultiplier);
    m_timeouts.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(writeConstant);
    if (!DeviceThere()) return 0;
    return m_line->SetTimeouts(m_timeouts) ? 1 : 0;
}

unsigned long CxComm::Write(void* data, unsigned long length)
{
    if (!IsOpen() || length == 0) return 0;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!IsOpen()) return 0;  // a close began while this waited for the lock
    if (!DeviceThere()) return 0;
    unsigned long written = 0;
    m_line->Write(data, length, &written);
    m_replyClock.WriteEnded();
    NoteDeviceGone();
    return written;
}

unsigned long CxComm::Read(void* buffer, unsigned long length)
{
    if (!IsOpen() || length == 0) return 0;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!IsOpen()) return 0;
    m_replyClock.ReadBegins();
    if (!DeviceThere()) {
        m_replyClock.ReadEnded();
        return 0;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    unsigned long count = 0;

    // The first byte waits up to the total time-out the caller set.
    unsigned long got = 0;
    bool alive = m_line->Read(bytes, 1, &got);
    if (got) m_replyClock.BytesCame();
    count += got;

    // Every further byte waits up to the interval: the silence that ends a reply.
    // The wait is made once even when no first byte came.
    SetTimeouts(m_timeouts.ReadIntervalTimeout, kMaxDword);
    while (alive && count < length) {
        alive = m_line->Read(bytes + count, 1, &got);
        if (got == 0) break;
        m_replyClock.BytesCame();
        count += got;
    }
    m_replyClock.ReadEnded();
    NoteDeviceGone();
    // A reply that a close cut short is no reply: its bytes are not handed on
    // as if they were all of it.
    if (m_closing.load()) return 0;
    return count;
}

int CxComm::Purge(unsigned long flags)
{
    if (!IsOpen()) return 0;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!DeviceThere()) return 0;
    return m_line->Purge(flags) ? 1 : 0;
}

int CxComm::Purge()
{
    return Purge(kPurgeAll);
}

DevicePresence CxComm::GetDevicePresence() const
{
    std::lock_guard presence(m_presenceLock);
    return m_presence;
}

void CxComm::SetPresence(DevicePresence::State state, std::string otherDevice,
                         std::string ownDevice)
{
    std::lock_guard presence(m_presenceLock);
    if (m_presence.state == state && m_presence.otherDevice == otherDevice) return;
    m_presence.state = state;
    m_presence.otherDevice = std::move(otherDevice);
    m_presence.ownDevice = std::move(ownDevice);
    ++m_presence.changes;
}

// The next transfer looks for the device at once, the later ones only every
// kReopenInterval.
void CxComm::NoteDeviceGone()
{
    if (!m_line->Gone()) return;
    std::lock_guard presence(m_presenceLock);
    if (m_presence.state != DevicePresence::State::kThere) return;
    m_presence.state = DevicePresence::State::kGone;
    m_presence.nextLook = std::chrono::steady_clock::now();
    ++m_presence.changes;
}

// A device that went away is looked for again at the path the port was opened
// with, and given the line state and time-outs the port had. Called with the
// port's lock held, on an open port.
bool CxComm::DeviceThere()
{
    if (!m_line->Gone()) return true;
    NoteDeviceGone();
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard presence(m_presenceLock);
        if (m_presence.nextLook && now < *m_presence.nextLook) return false;
        m_presence.nextLook = now + kReopenInterval;
    }
    const PortHandle handle = m_line->Reopen();
    if (handle == kInvalidPortHandle) {
        if (const auto other = m_line->OtherDeviceFound())
            SetPresence(DevicePresence::State::kOtherDevice, other->found, other->own);
        else
            SetPresence(DevicePresence::State::kGone);
        return false;
    }
    if (m_line->SetState(m_dcb) && m_line->SetupQueues(kQueueSize, kQueueSize) &&
        m_line->SetTimeouts(m_timeouts) && m_line->Purge(kPurgeAll)) {
        m_hFile = handle;
        SetPresence(DevicePresence::State::kThere);
        std::lock_guard presence(m_presenceLock);
        m_presence.nextLook.reset();
        return true;
    }
    m_line->Abandon();  // not usable as it came back: tried again later
    return false;
}

// From the moment a close begins no transfer starts: a thread whose awaited
// reply the close ends must not slip another request out before the close
// gets the port's lock.
void CxComm::Close()
{
    if (!IsOpen()) return;
    m_closing = true;
    m_line->CancelWait();  // a reply being awaited ends now, with what it has
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_hFile.load() != kInvalidPortHandle) {
        m_line->Purge(kPurgeAll);
        m_line->Close();
        m_hFile = kInvalidPortHandle;
    }
    {
        std::lock_guard presence(m_presenceLock);
        m_presence.nextLook.reset();  // nothing is looked for any more
    }
    m_closing = false;
}
