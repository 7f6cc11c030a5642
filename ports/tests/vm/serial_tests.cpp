// The serial port on a UART of the test machine of tools/vm-tests.sh: ttyS1 of
// the 8250 driver, COM2 by the COM-number rule, whose far end QEMU wires to the
// simulated reader on the host (answering as com_port_reader.table says).
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "hollet/CxComm.h"
#include "hollet/com_names.h"
#include "uart_registers.h"

namespace {

using ::testing::ElementsAre;
using ::testing::Pair;
using Bytes = std::vector<unsigned char>;
constexpr unsigned long kPort = 2;
constexpr const char* kDevice = "/dev/ttyS1";

// The line state the driver holds for the device, read through a descriptor
// of its own (root passes TIOCEXCL).
termios DriverLineState()
{
    termios tio{};
    const int fd = ::open(kDevice, O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(tcgetattr(fd, &tio), 0);
    ::close(fd);
    return tio;
}

// The line control register a line state asks for.
unsigned LineControlOf(tcflag_t size, tcflag_t parity, bool twoStopBits)
{
    unsigned lcr = size == CS5 ? 0 : size == CS6 ? 1 : size == CS7 ? 2 : 3;
    if (twoStopBits) lcr |= 0x04;
    if (parity & PARENB) lcr |= 0x08;
    if ((parity & PARENB) && !(parity & PARODD)) lcr |= 0x10;  // even (or space)
    if (parity & CMSPAR) lcr |= 0x20;                          // stick parity
    return lcr;
}

struct LineCase {
    const char* setting;
    speed_t speed;
    unsigned baud;
    tcflag_t size;
    tcflag_t parity;  // of PARENB, PARODD, CMSPAR
    bool twoStopBits;
    bool talk;  // bytes travel both ways at this setting
};

constexpr tcflag_t kEven = PARENB;
constexpr tcflag_t kOdd = PARENB | PARODD;
constexpr tcflag_t kMark = PARENB | CMSPAR | PARODD;
constexpr tcflag_t kSpace = PARENB | CMSPAR;

// The console's line-setting list (with its blanks removed, as the window
// opens them), then the other data bits, stop bits and parities.
const LineCase kLineCases[] = {
    {"4800,n,8,1", B4800, 4800, CS8, 0, false, true},
    {"4800,e,8,1", B4800, 4800, CS8, kEven, false, true},
    {"9600,n,8,1", B9600, 9600, CS8, 0, false, true},
    {"9600,e,8,1", B9600, 9600, CS8, kEven, false, true},
    {"19200,n,8,1", B19200, 19200, CS8, 0, false, true},
    {"19200,e,8,1", B19200, 19200, CS8, kEven, false, true},
    {"38400,n,8,1", B38400, 38400, CS8, 0, false, true},
    {"38400,e,8,1", B38400, 38400, CS8, kEven, false, true},
    {"57600,n,8,1", B57600, 57600, CS8, 0, false, true},
    {"57600,e,8,1", B57600, 57600, CS8, kEven, false, true},
    {"115200,n,8,1", B115200, 115200, CS8, 0, false, true},
    {"115200,e,8,1", B115200, 115200, CS8, kEven, false, true},
    {"9600,o,8,1", B9600, 9600, CS8, kOdd, false, true},
    {"9600,m,8,1", B9600, 9600, CS8, kMark, false, true},
    {"9600,s,8,1", B9600, 9600, CS8, kSpace, false, true},
    {"9600,e,7,2", B9600, 9600, CS7, kEven, true, false},
    {"1200,n,6,1", B1200, 1200, CS6, 0, false, false},
    {"300,n,5,1.5", B300, 300, CS5, 0, true, false},
    {"50,n,8,2", B50, 50, CS8, 0, true, false},
    {"baud=2400 parity=o data=7 stop=1", B2400, 2400, CS7, kOdd, false, false},
};

// Each setting as the driver holds it (termios) and as it programmed the UART.
TEST(Uart, EveryLineSettingTakesOnTheDriverAndTheUart)
{
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE(c.setting);
        CxComm comm;
        ASSERT_EQ(comm.Open(kPort, c.setting), 1);
        const termios tio = DriverLineState();
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(cfgetispeed(&tio), c.speed);
        EXPECT_EQ(tio.c_cflag & CSIZE, c.size);
        EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parity);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStopBits);
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.parity != 0);
        EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
        const std::optional<UartRegisters> read = ReadUartRegisters(kDevice);
        ASSERT_TRUE(read.has_value());
        const UartRegisters uart = *read;
        EXPECT_EQ(uart.divisor, kUartClockRate / c.baud);
        EXPECT_EQ(uart.lineControl, LineControlOf(c.size, c.parity, c.twoStopBits));
        if (!c.talk) continue;
        // Through the reader's echo (bytes below 0x80, whatever the data bits).
        const Bytes request{0x30, 0x31, 0x7F, 0x00, 0x55};
        EXPECT_EQ(comm.Write(const_cast<unsigned char*>(request.data()), 5), 5u);
        comm.SetTimeouts(2000, 100);
        Bytes reply(1024);
        reply.resize(comm.Read(reply.data(), 1024));
        EXPECT_EQ(reply, request);
    }
}

// A PC's UART runs from a 1.8432 MHz clock: it makes no rate above 115200,
// and the driver keeps the rate it had, so that the open fails.
TEST(Uart, RatesTheUartCannotMakeFailTheOpen)
{
    for (const char* setting : {"230400,n,8,1", "460800,n,8,1", "921600,n,8,1", "4000000,n,8,1"}) {
        SCOPED_TRACE(setting);
        CxComm comm;
        EXPECT_EQ(comm.Open(kPort, setting), 0);
        EXPECT_EQ(comm.IsOpen(), 0);
        EXPECT_EQ(comm.Open(kPort, "115200,n,8,1"), 1);  // and the port is free again
    }
}

// Another program without root is kept out while the port is open (TIOCEXCL),
// and gets in once it is closed. The device is open to everyone here, as it is
// to the group dialout on a Debian machine.
TEST(Uart, AnotherProgramWithoutRootIsKeptOutWhileThePortIsOpen)
{
    // The exit code of a child that opens the device as the user nobody: 0
    // opened, 1 busy, 2 other failure.
    const auto openAsNobody = [] {
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
            const int fd = ::open(kDevice, O_RDWR | O_NOCTTY | O_NONBLOCK);
            _exit(fd >= 0 ? 0 : errno == EBUSY ? 1 : 2);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    CxComm comm;
    ASSERT_EQ(comm.Open(kPort, "19200,n,8,1"), 1);
    EXPECT_EQ(openAsNobody(), 1);
    CxComm second;
    EXPECT_EQ(second.Open(kPort, "19200,n,8,1"), 0);  // the lock keeps out even root
    comm.Close();
    EXPECT_EQ(openAsNobody(), 0);
    EXPECT_EQ(second.Open(kPort, "19200,n,8,1"), 1);
}

// Of the four UARTs the driver sets up, the machine has two: COM1 (the
// console) and COM2; ttyS2 and ttyS3 have no UART behind them.
TEST(Uart, TheComListShowsTheUartsWithTheirDevices)
{
    EXPECT_TRUE(ComPortListAvailable());
    std::vector<std::pair<unsigned long, std::string>> listed;
    for (const ComPortEntry& entry : ListComPorts()) {
        EXPECT_EQ(entry.name, "\\\\.\\COM" + std::to_string(entry.number));
        listed.emplace_back(entry.number, entry.device);
    }
    EXPECT_THAT(listed, ElementsAre(Pair(1, "/dev/ttyS0"), Pair(2, "/dev/ttyS1")));
    EXPECT_EQ(ResolveComDevice(kPort), kDevice);
}

}  // namespace
