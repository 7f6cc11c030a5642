// The serial device on Linux: a tty in raw mode, opened exclusively, with the
// Windows read time-outs carried out in user space with poll() against a
// monotonic deadline.
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "device_identity_linux.h"
#include "device_route_linux.h"
#include "hollet/com_names.h"
#include "serial_line.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr Clock::time_point kNoDeadline = Clock::time_point::max();

struct BaudSpeed {
    std::uint32_t baud;
    speed_t speed;
};
constexpr BaudSpeed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

std::optional<speed_t> SpeedOf(std::uint32_t baud)
{
    for (const BaudSpeed& s : kSpeeds)
        if (s.baud == baud) return s.speed;
    return std::nullopt;
}

std::uint32_t BaudOf(speed_t speed)
{
    for (const BaudSpeed& s : kSpeeds)
        if (s.speed == speed) return s.baud;
    return 0;
}

// "\\.\COMn" → n, or 0.
unsigned long ComNumberOf(const char* devName)
{
    unsigned long number = 0;
    int used = 0;
    if (std::sscanf(devName, "\\\\.\\COM%lu%n", &number, &used) != 1 || devName[used] != '\0')
        return 0;
    return number;
}

enum class Wait { kReady, kTimedOut, kCancelled, kHungUp, kFailed };

class LinuxSerialLine final : public SerialLine {
public:
    LinuxSerialLine() : m_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~LinuxSerialLine() override
    {
        Close();
        if (m_wake >= 0) ::close(m_wake);
    }

    PortHandle Open(const char* devName) override
    {
        Close();
        const ComPortRoots roots = DefaultComPortRoots();
        m_path = ResolveComDevice(ComNumberOf(devName), roots);
        m_sysDevChar = roots.sysDevCharFolder;
        if (m_path.empty()) return kInvalidPortHandle;
        DrainWake();
        const PortHandle handle = OpenPath(m_path);
        if (handle == kInvalidPortHandle) return handle;
        m_route = RouteOf(m_path);
        struct stat opened {};
        m_identity =
            fstat(m_fd, &opened) == 0 ? IdentityOf(opened.st_rdev, m_sysDevChar) : DeviceIdentity{};
        return handle;
    }

    // The path the COM number led to is kept, not the device it named then:
    // a link (ComPorts/COMn to /dev/serial/by-id/...) leads to wherever the
    // adapter is now. A pseudo-terminal is taken again only once a link on the
    // way has been made anew: by the same way, its number now names whatever
    // terminal was made next, maybe another program's.
    //
    // A device the system can name (a USB adapter by its vendor, product and
    // serial number) is taken back only when the device now at the path is
    // that one: with two adapters pulled out, the other one coming back first
    // under the same name is left alone, and it is looked at before it is
    // opened, since opening a tty already raises its modem lines.
    PortHandle Reopen() override
    {
        m_otherDevice.reset();
        if (!m_gone || m_path.empty()) return kInvalidPortHandle;
        const DeviceRoute route = RouteOf(m_path);
        if (m_route.pseudoTerminal && route == m_route) return kInvalidPortHandle;
        if (m_identity.Known()) {
            if (route.device == 0) return kInvalidPortHandle;  // nothing there yet
            const DeviceIdentity found = IdentityOf(route.device, m_sysDevChar);
            if (!found.SameDeviceAs(m_identity)) {
                m_otherDevice = OtherDevice{found.Describe(), m_identity.Describe()};
                return kInvalidPortHandle;
            }
        }
        const PortHandle handle = OpenPath(m_path);
        if (handle == kInvalidPortHandle) return handle;
        // the device that was looked at is the one opened
        struct stat opened {};
        if (m_identity.Known() && (fstat(m_fd, &opened) != 0 || opened.st_rdev != route.device)) {
            LetGo();
            return kInvalidPortHandle;
        }
        m_gone = false;
        m_route = route;
        return handle;
    }

    std::optional<OtherDevice> OtherDeviceFound() const override { return m_otherDevice; }

    bool Gone() const override { return m_gone; }

    void Abandon() override
    {
        if (m_fd >= 0) LetGo();
    }

    void Close() override
    {
        m_gone = false;
        if (m_fd < 0) return;
        ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);  // also drops the advisory lock
        m_fd = -1;
        DrainWake();
    }

    bool GetState(CommState& state) override
    {
        termios tio{};
        if (m_fd < 0 || tcgetattr(m_fd, &tio) != 0) return false;
        state.BaudRate = BaudOf(cfgetospeed(&tio));
        switch (tio.c_cflag & CSIZE) {
            case CS5: state.ByteSize = 5; break;
            case CS6: state.ByteSize = 6; break;
            case CS7: state.ByteSize = 7; break;
            default: state.ByteSize = 8; break;
        }
        if (!(tio.c_cflag & PARENB))
            state.Parity = kParityNone;
        else if (tio.c_cflag & CMSPAR)
            state.Parity = (tio.c_cflag & PARODD) ? kParityMark : kParitySpace;
        else
            state.Parity = (tio.c_cflag & PARODD) ? kParityOdd : kParityEven;
        state.StopBits = (tio.c_cflag & CSTOPB) ? kTwoStopBits : kOneStopBit;
        state.fParity = (tio.c_iflag & INPCK) != 0;
        return true;
    }

    bool SetState(const CommState& state) override
    {
        termios tio{};
        const auto speed = SpeedOf(state.BaudRate);
        if (m_fd < 0 || !speed || tcgetattr(m_fd, &tio) != 0) return false;
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
        switch (state.ByteSize) {
            case 5: tio.c_cflag |= CS5; break;
            case 6: tio.c_cflag |= CS6; break;
            case 7: tio.c_cflag |= CS7; break;
            case 8: tio.c_cflag |= CS8; break;
            default: return false;
        }
        switch (state.Parity) {
            case kParityNone: break;
            case kParityOdd: tio.c_cflag |= PARENB | PARODD; break;
            case kParityEven: tio.c_cflag |= PARENB; break;
            case kParityMark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
            case kParitySpace: tio.c_cflag |= PARENB | CMSPAR; break;
            default: return false;
        }
        switch (state.StopBits) {
            case kOneStopBit: break;
            // termios has no 1.5 stop bits of its own: UARTs send 1.5 for two
            // stop bits at five data bits.
            case kOne5StopBits:
            case kTwoStopBits: tio.c_cflag |= CSTOPB; break;
            default: return false;
        }
        if (state.fParity)
            tio.c_iflag |= INPCK;
        else
            tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
        tio.c_iflag &= ~static_cast<tcflag_t>(PARMRK);
        cfsetispeed(&tio, *speed);
        cfsetospeed(&tio, *speed);
        if (tcsetattr(m_fd, TCSANOW, &tio) != 0) return false;
        // tcsetattr succeeds when any change took: check the rate did.
        termios now{};
        return tcgetattr(m_fd, &now) == 0 && cfgetospeed(&now) == *speed;
    }

    bool SetupQueues(unsigned long, unsigned long) override
    {
        return m_fd >= 0;  // the kernel's tty buffers are larger than asked
    }

    bool GetTimeouts(CommTimeouts& timeouts) override
    {
        if (m_fd < 0) return false;
        timeouts = m_timeouts;
        return true;
    }

    bool SetTimeouts(const CommTimeouts& timeouts) override
    {
        if (m_fd < 0) return false;
        m_timeouts = timeouts;
        return true;
    }

    bool Purge(unsigned long flags) override
    {
        if (m_fd < 0) return false;
        const bool rx = flags & (kPurgeRxAbort | kPurgeRxClear);
        const bool tx = flags & (kPurgeTxAbort | kPurgeTxClear);
        if (!rx && !tx) return true;
        if (tcflush(m_fd, rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH) == 0) return true;
        return FailedForGood(errno);
    }

    // The Windows rules for a read: it waits up to multiplier·length + constant
    // for the whole read (no limit when both are 0), and once a byte has come,
    // no more than the interval for each next one. An interval of MAXDWORD with
    // a zero total returns at once with what is there; with a multiplier of
    // MAXDWORD it waits up to the constant for the first byte.
    bool Read(void* buffer, unsigned long length, unsigned long* got) override
    {
        *got = 0;
        if (m_fd < 0) return false;
        const CommTimeouts t = m_timeouts;
        const bool immediate = t.ReadIntervalTimeout == kMaxDword &&
                               t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
        const bool firstByteOnly =
            t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == kMaxDword;
        const std::uint64_t total =
            firstByteOnly
                ? t.ReadTotalTimeoutConstant
                : std::uint64_t{t.ReadTotalTimeoutMultiplier} * length + t.ReadTotalTimeoutConstant;
        const auto start = Clock::now();
        const Clock::time_point deadline = immediate ? start
                                           : total   ? start + std::chrono::milliseconds(total)
                                                     : kNoDeadline;
        const bool useInterval = t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != kMaxDword;

        auto* bytes = static_cast<unsigned char*>(buffer);
        while (*got < length) {
            Clock::time_point until = deadline;
            if (*got > 0 && useInterval)
                until = std::min(until,
                                 Clock::now() + std::chrono::milliseconds(t.ReadIntervalTimeout));
            switch (WaitFor(POLLIN, until)) {
                case Wait::kTimedOut: return true;
                case Wait::kCancelled: return false;
                case Wait::kHungUp: LetGo(); return false;
                case Wait::kFailed: return false;
                case Wait::kReady: break;
            }
            const ssize_t n = ::read(m_fd, bytes + *got, length - *got);
            if (n > 0) {
                *got += static_cast<unsigned long>(n);
                if (firstByteOnly || immediate) return true;
            } else if (n == 0) {
                LetGo();  // hung up: the device is gone
                return false;
            } else if (errno != EAGAIN && errno != EINTR) {
                return FailedForGood(errno);
            }
        }
        return true;
    }

    bool Write(const void* data, unsigned long length, unsigned long* written) override
    {
        *written = 0;
        if (m_fd < 0) return false;
        const std::uint64_t total = std::uint64_t{m_timeouts.WriteTotalTimeoutMultiplier} * length +
                                    m_timeouts.WriteTotalTimeoutConstant;
        const Clock::time_point deadline =
            total ? Clock::now() + std::chrono::milliseconds(total) : kNoDeadline;
        const auto* bytes = static_cast<const unsigned char*>(data);
        while (*written < length) {
            const ssize_t n = ::write(m_fd, bytes + *written, length - *written);
            if (n > 0) {
                *written += static_cast<unsigned long>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) return FailedForGood(errno);
            // A write is never cancelled: only the device failing or the write
            // time-out ends it early.
            const Wait wait = WaitFor(POLLOUT, deadline, /*cancellable=*/false);
            if (wait == Wait::kHungUp) LetGo();
            if (wait != Wait::kReady) return false;
        }
        // The bytes are in the kernel's buffer, not yet on the wire: at 9600
        // baud a 64-byte frame takes another 67 ms to leave. The write ends
        // when they have left (no flow control holds them: the line is raw).
        while (tcdrain(m_fd) != 0) {
            if (errno != EINTR) return FailedForGood(errno);
        }
        return true;
    }

    void CancelWait() override
    {
        const std::uint64_t one = 1;
        if (m_wake >= 0) [[maybe_unused]]
            auto ignored = ::write(m_wake, &one, sizeof one);
    }

private:
    PortHandle OpenPath(const std::string& path)
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return kInvalidPortHandle;
        // No sharing: an advisory lock keeps out every program that asks for
        // one (this one in any process included), TIOCEXCL every other program
        // without root.
        termios tio{};
        if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || tcgetattr(fd, &tio) != 0) {
            ::close(fd);
            return kInvalidPortHandle;
        }
        ioctl(fd, TIOCEXCL);
        // A raw line: every byte value passes unchanged, no echo, no flow control.
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (tcsetattr(fd, TCSANOW, &tio) != 0) {
            ::close(fd);
            return kInvalidPortHandle;
        }
        m_fd = fd;
        m_timeouts = CommTimeouts{};
        return fd;
    }

    // The device has gone: its descriptor is closed at once, so that the
    // kernel can give the name to the device when it comes back.
    void LetGo()
    {
        ::close(m_fd);
        m_fd = -1;
        m_gone = true;
    }
    // Errors of a device that is no longer there; the line lets it go.
    bool FailedForGood(int error)
    {
        if (error == EIO || error == ENXIO || error == ENODEV) LetGo();
        return false;
    }

    // Waits until the device is ready for `events`, the deadline passes, or the
    // wait is cancelled. Long waits go in slices, so that no time-out overflows
    // poll()'s argument.
    Wait WaitFor(short events, Clock::time_point deadline, bool cancellable = true)
    {
        for (;;) {
            int timeout = -1;
            if (deadline != kNoDeadline) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                timeout = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 3600 * 1000));
            }
            pollfd fds[2] = {{m_fd, events, 0}, {m_wake, POLLIN, 0}};
            const int ready = ::poll(fds, cancellable ? 2 : 1, timeout);
            if (ready < 0) {
                if (errno == EINTR) continue;
                return Wait::kFailed;
            }
            if (cancellable && (fds[1].revents & POLLIN)) return Wait::kCancelled;
            if (fds[0].revents & events) return Wait::kReady;
            if (fds[0].revents & (POLLHUP | POLLERR)) return Wait::kHungUp;
            if (fds[0].revents & POLLNVAL) return Wait::kFailed;
            if (deadline != kNoDeadline && Clock::now() >= deadline) return Wait::kTimedOut;
        }
    }

    void DrainWake()
    {
        std::uint64_t value = 0;
        while (m_wake >= 0 && ::read(m_wake, &value, sizeof value) > 0) {
        }
    }

    int m_fd = -1;
    int m_wake = -1;
    CommTimeouts m_timeouts;
    std::string m_path;   // what the COM number led to at the last Open
    DeviceRoute m_route;  // how m_path led to the device last opened
    std::string m_sysDevChar;
    DeviceIdentity m_identity;  // the device the last Open reached
    std::optional<OtherDevice> m_otherDevice;
    bool m_gone = false;  // the device went away while open
};

}  // namespace

std::unique_ptr<SerialLine> CreateSerialLine()
{
    return std::make_unique<LinuxSerialLine>();
}
