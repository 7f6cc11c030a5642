// The Windows port backends against the kernel's own drivers: this program
// runs under 32-bit Wine in the test machine of tools/vm-tests.sh --wine.
// The HID reader is a uhid device that vm_wine_peer plays (Wine reaches it
// through its HID stack over hidraw); the COM port is the machine's UART
// ttyS1 (COM2), whose registers the peer reads. They talk through the files
// of the peer's folder, QUILLARD_PEER (a Windows path).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "hex_text.h"
#include "hollet/CxComm.h"
#include "hollet/CxHid.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;
constexpr unsigned long kNone = 0xFFFFFFFF;

std::string PeerFile(const char* name)
{
    const char* folder = std::getenv("QUILLARD_PEER");
    return std::string(folder ? folder : "Z:\\tmp\\peer") + "\\" + name;
}

bool Exists(const char* name)
{
    return GetFileAttributesA(PeerFile(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

template <class Condition>
bool WaitFor(Condition done, std::chrono::milliseconds limit = 10s)
{
    for (const auto deadline = Clock::now() + limit; !done();)
        if (Clock::now() > deadline)
            return false;
        else
            Sleep(20);
    return true;
}

// Tells the peer something: the file appears whole.
void Tell(const char* name, const std::string& text = {})
{
    const std::string part = PeerFile(name) + ".tmp";
    {
        std::ofstream out(part, std::ios::binary);
        out << text;
    }
    MoveFileExA(part.c_str(), PeerFile(name).c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::vector<std::string> OutputReports()
{
    std::vector<std::string> lines;
    std::ifstream in(PeerFile("output"));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Bytes Counting(std::size_t size, unsigned char first)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(first + i);
    return bytes;
}

// The data of an output report as the reader gets it: 64 bytes, the rest zeros.
std::string ReportData(const Bytes& data)
{
    Bytes report(64, 0);
    std::copy(data.begin(), data.end(), report.begin());
    return HexText(report);
}

// The readers the search finds, in its order.
std::vector<unsigned long> Readers()
{
    std::vector<unsigned long> found;
    for (unsigned long at = CxHid::FindFirstHidDev(); at != kNone && found.size() < 16;
         at = CxHid::FindNextHidDev(at))
        found.push_back(at);
    return found;
}

// The tests share one reader, in the order they are written; the last one
// unplugs it.
class WindowsHid : public ::testing::Test {
protected:
    // Wine's HID stack finds the devices in the background once it has
    // started; Windows has them at once.
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(WaitFor([] { return Exists("ready"); })) << "the peer is not there";
        const auto start = Clock::now();
        const bool found = WaitFor([] { return !Readers().empty(); }, 60s);
        std::printf("the search found a reader after %lld ms\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)
                            .count()));
        ASSERT_TRUE(found);
    }
    void SetUp() override
    {
        const auto readers = Readers();
        ASSERT_EQ(readers.size(), 1u) << "the search finds the reader and not the other device";
        index = readers[0];
        ASSERT_EQ(port.Open(index), 1);
    }
    CxHid port;
    unsigned long index = kNone;
};

TEST_F(WindowsHid, TheSearchFindsTheReaderAndOpenTakesOnlyIt)
{
    char name[CxHid::kNameSize] = {};
    EXPECT_EQ(port.GetDevName(name), 1);
    EXPECT_NE(std::string(name), "");
    // Every other device of the system is no reader.
    for (unsigned long other = 0; other < 8; ++other) {
        if (other == index) continue;
        CxHid device;
        EXPECT_EQ(device.Open(other), 0) << other;
    }
}

TEST_F(WindowsHid, WritesArriveAsReportsOf64Bytes)
{
    const std::size_t before = OutputReports().size();
    const Bytes data = Counting(100, 1);
    EXPECT_EQ(port.Write(const_cast<unsigned char*>(data.data()), 100), 100u);
    EXPECT_EQ(port.Write(const_cast<unsigned char*>(data.data()), 3), 3u);
    ASSERT_TRUE(WaitFor([&] { return OutputReports().size() >= before + 3; }));
    const auto reports = OutputReports();
    // The device gets each report with the report number 0 first, or without it.
    const std::string expected[] = {ReportData(Bytes(data.begin(), data.begin() + 64)),
                                    ReportData(Bytes(data.begin() + 64, data.end())),
                                    ReportData(Bytes(data.begin(), data.begin() + 3))};
    ASSERT_EQ(reports.size(), before + 3);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const std::string& got = reports[before + i];
        EXPECT_TRUE(got == expected[i] || got == "00" + expected[i]) << got;
    }
}

// Wine answers HidD_GetInputReport with the last input report the device
// sent (Windows asks the device for one): the peer sends each report it is
// given as well, one at a time here.
TEST_F(WindowsHid, ReadFetchesTheReadersInputReport)
{
    const auto give = [](const Bytes& report) {
        Tell("queue", HexText(report) + "\n");
        return WaitFor([] { return !Exists("queue"); });
    };
    ASSERT_TRUE(give(Counting(64, 0x80)));
    Sleep(200);
    Bytes buffer(1024, 0x55);
    EXPECT_EQ(port.Read(buffer.data(), 1024), 1024u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 64), Counting(64, 0x80));
    EXPECT_TRUE(std::all_of(buffer.begin() + 64, buffer.end(), [](auto b) { return b == 0; }));
    // A short report after a long one: no bytes of the earlier one.
    ASSERT_TRUE(give({0x90, 0x00}));
    Sleep(200);
    EXPECT_EQ(port.Read(buffer.data(), 1024), 1024u);
    EXPECT_EQ(buffer[0], 0x90);
    EXPECT_EQ(buffer[1], 0x00);
    EXPECT_TRUE(std::all_of(buffer.begin() + 2, buffer.end(), [](auto b) { return b == 0; }));
}

// Windows asks the device and gives up after the USB stack's wait; Wine
// answers from what it has at once. Either way a read never hangs.
TEST_F(WindowsHid, AReaderThatNeverAnswersDoesNotHangTheRead)
{
    Tell("silent");
    ASSERT_TRUE(WaitFor([] { return !Exists("silent"); }));
    Bytes buffer(1024);
    const auto start = Clock::now();
    port.Read(buffer.data(), 1024);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    std::printf("a silent reader's read ended after %lld ms\n",
                static_cast<long long>(waited.count()));
    EXPECT_LT(waited, 10s);
}

// Last: the reader goes.
TEST_F(WindowsHid, AReaderUnpluggedWhileOpenFailsEveryCall)
{
    Tell("unplug");
    ASSERT_TRUE(WaitFor([] { return Exists("unplugged"); }));
    Sleep(500);
    unsigned char data[64] = {1};
    EXPECT_EQ(port.Write(data, 10), 0u);
    EXPECT_EQ(port.Read(data, 64), 0u);
    EXPECT_EQ(port.Write(data, 64), 0u);
    EXPECT_EQ(port.IsOpen(), 1);  // open until closed, as with a handle to a gone device
    port.Close();
    EXPECT_EQ(port.IsOpen(), 0);
}

// The line settings a COM port is opened with, as the 8250 driver programmed
// the UART behind Wine's COM2.
TEST(WindowsComPort, TheLineSettingTakesOnTheUart)
{
    ASSERT_TRUE(WaitFor([] { return Exists("ready"); })) << "the peer is not there";
    struct Case {
        const char* setting;
        unsigned baud;
        unsigned lineControl;  // data bits - 5, stop bits, parity
    };
    const Case cases[] = {
        {"9600,n,8,1", 9600, 0x03},   {"19200,e,8,1", 19200, 0x1B}, {"115200,n,8,1", 115200, 0x03},
        {"4800,o,7,1", 4800, 0x0A},   {"9600,e,7,2", 9600, 0x1E},   {"38400,m,8,1", 38400, 0x2B},
        {"57600,s,8,1", 57600, 0x3B}, {"1200,n,6,1", 1200, 0x01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        CxComm comm;
        ASSERT_EQ(comm.Open(2, c.setting), 1);
        DeleteFileA(PeerFile("uart.registers").c_str());
        Tell("uart");
        ASSERT_TRUE(WaitFor([] { return Exists("uart.registers"); }));
        std::ifstream in(PeerFile("uart.registers"));
        unsigned lineControl = 0, divisor = 0;
        ASSERT_TRUE(static_cast<bool>(in >> lineControl >> divisor)) << "the peer read no UART";
        EXPECT_EQ(divisor, 115200 / c.baud);
        EXPECT_EQ(lineControl, c.lineControl);
    }
}

}  // namespace
