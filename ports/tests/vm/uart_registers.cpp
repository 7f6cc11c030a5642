#include "uart_registers.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

std::optional<UartRegisters> ReadUartRegisters(const char* device)
{
    serial_struct serial{};
    const int tty = ::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool known = tty >= 0 && ioctl(tty, TIOCGSERIAL, &serial) == 0;
    if (tty >= 0) ::close(tty);
    if (!known) return std::nullopt;
    const int ports = ::open("/dev/port", O_RDWR);
    if (ports < 0) return std::nullopt;
    const off_t base = serial.port;
    constexpr unsigned char kDivisorLatch = 0x80;
    unsigned char lcr = 0, low = 0, high = 0;
    bool read = pread(ports, &lcr, 1, base + 3) == 1;
    const unsigned char latched = lcr | kDivisorLatch;
    read = read && pwrite(ports, &latched, 1, base + 3) == 1;
    read = read && pread(ports, &low, 1, base) == 1 && pread(ports, &high, 1, base + 1) == 1;
    read = pwrite(ports, &lcr, 1, base + 3) == 1 && read;
    ::close(ports);
    if (!read) return std::nullopt;
    // Without parity the even and stick bits mean nothing (the driver leaves
    // the even bit set).
    return UartRegisters{(lcr & 0x08) ? lcr : lcr & ~0x30u, static_cast<unsigned>(low | high << 8)};
}
