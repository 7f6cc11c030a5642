// The HID reader port on the kernel's own drivers (uhid, hid-generic, hidraw),
// in the test machine of tools/vm-tests.sh: two readers with another HID device
// made between them, so that the kernel numbers them hidraw0 to hidraw2.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/uhid.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

#include "hollet/CxHid.h"
#include "output_report.h"
#include "uhid_device.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using Bytes = UhidDevice::Bytes;
using Clock = std::chrono::steady_clock;
constexpr unsigned long kNone = 0xFFFFFFFF;

Bytes Counting(std::size_t size, unsigned char first)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(first + i);
    return bytes;
}

class RealHid : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WaitForHidrawInterfaces(0)) << "hidraw interfaces left by another test";
        first = Make(0x10C4, 0x0007, "Vemra reader one", 1);
        other = Make(0x046D, 0xC077, "Another HID device", 2);
        second = Make(0x10C4, 0x0007, "Vemra reader two", 3);
        ASSERT_EQ(HidrawVendorProduct("hidraw0"), "10C4:0007");
        ASSERT_EQ(HidrawVendorProduct("hidraw1"), "046D:C077");
        ASSERT_EQ(HidrawVendorProduct("hidraw2"), "10C4:0007");
    }
    void TearDown() override
    {
        port.Close();
        first.reset();
        other.reset();
        second.reset();
        EXPECT_TRUE(WaitForHidrawInterfaces(0));
    }

    std::unique_ptr<UhidDevice> Make(std::uint16_t vendor, std::uint16_t product, const char* name,
                                     std::size_t present)
    {
        auto device = std::make_unique<UhidDevice>(vendor, product, name);
        EXPECT_TRUE(device->Created());
        EXPECT_TRUE(WaitForHidrawInterfaces(present)) << name << " did not appear";
        return device;
    }

    std::unique_ptr<UhidDevice> first, other, second;
    CxHid port;
};

TEST_F(RealHid, SearchGivesTheReadersInHidrawOrderAndOpenTakesOnlyAReader)
{
    EXPECT_EQ(CxHid::FindFirstHidDev(), 0u);
    EXPECT_EQ(CxHid::FindNextHidDev(0), 2u);
    EXPECT_EQ(CxHid::FindNextHidDev(2), kNone);

    EXPECT_EQ(port.Open(1), 0);  // the other device
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(port.Open(3), 0);  // nothing there

    char name[CxHid::kNameSize];
    for (unsigned long index : {0ul, 2ul}) {
        SCOPED_TRACE(index);
        CxHid reader;
        ASSERT_EQ(reader.Open(index), 1);
        ASSERT_EQ(reader.GetDevName(name), 1);
        EXPECT_STREQ(name, ("/dev/hidraw" + std::to_string(index)).c_str());
    }
    // Both open at once, each with its own device.
    CxHid one, two;
    EXPECT_EQ(one.Open(0), 1);
    EXPECT_EQ(two.Open(2), 1);
}

TEST_F(RealHid, WritesArriveAsOutputReportsOf65Bytes)
{
    ASSERT_EQ(port.Open(0), 1);
    const Bytes data = Counting(100, 1);
    EXPECT_EQ(port.Write(const_cast<unsigned char*>(data.data()), 100), 100u);
    EXPECT_EQ(port.Write(const_cast<unsigned char*>(data.data()), 64), 64u);
    EXPECT_EQ(port.Write(const_cast<unsigned char*>(data.data()), 0), 0u);

    const auto received = first->WaitForOutput(4);
    ASSERT_EQ(received.size(), 4u);
    const Bytes expected[] = {
        OutputReport(Bytes(data.begin(), data.begin() + 64)),
        OutputReport(Bytes(data.begin() + 64, data.end())),
        OutputReport(Bytes(data.begin(), data.begin() + 64)),
        Bytes(65, 0),
    };
    for (std::size_t i = 0; i < received.size(); ++i) {
        SCOPED_TRACE(i);
        // HIDIOCSOUTPUT reaches the device as UHID_OUTPUT (not as SET_REPORT).
        EXPECT_EQ(received[i].event, static_cast<std::uint32_t>(UHID_OUTPUT));
        EXPECT_EQ(received[i].reportType, UHID_OUTPUT_REPORT);
        EXPECT_EQ(received[i].data, expected[i]);
    }
    EXPECT_TRUE(second->WaitForOutput(1, 100ms).empty());
    EXPECT_TRUE(other->WaitForOutput(1, 100ms).empty());
}

TEST_F(RealHid, ReadFetchesTheInputReportThroughGetReport)
{
    ASSERT_EQ(port.Open(2), 1);
    second->QueueInputReport(Counting(64, 0x80));
    second->QueueInputReport({0x90, 0x00});

    Bytes buffer(1024, 0x55);
    EXPECT_EQ(port.Read(buffer.data(), 1024), 1024u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 64), Counting(64, 0x80));
    EXPECT_TRUE(std::all_of(buffer.begin() + 64, buffer.end(), [](auto b) { return b == 0; }));

    // A short report after a long one: no bytes of the earlier one.
    EXPECT_EQ(port.Read(buffer.data(), 1024), 1024u);
    EXPECT_THAT(Bytes(buffer.begin(), buffer.begin() + 2), ElementsAre(0x90, 0x00));
    EXPECT_TRUE(std::all_of(buffer.begin() + 2, buffer.end(), [](auto b) { return b == 0; }));

    // The reader answers with an error: nothing.
    EXPECT_EQ(port.Read(buffer.data(), 1024), 0u);

    const auto requests = second->InputRequests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.reportNumber, 0);
        EXPECT_EQ(request.reportType, UHID_INPUT_REPORT);
    }
    EXPECT_TRUE(first->InputRequests().empty());
}

TEST_F(RealHid, ReadLengths)
{
    struct Case {
        unsigned long asked;
        unsigned long result;
    };
    // hidraw refuses a fetch of fewer than 2 bytes (the report number and one
    // byte of data): a read of one byte fails.
    const Case cases[] = {{1, 0},   {2, 2},       {63, 63},     {64, 64},
                          {65, 65}, {1024, 1024}, {4095, 4095}, {6000, 4095}};
    ASSERT_EQ(port.Open(0), 1);
    const Bytes report = Counting(64, 0x21);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        first->QueueInputReport(report);
        Bytes buffer(c.asked + 1, 0x55);
        EXPECT_EQ(port.Read(buffer.data(), c.asked), c.result);
        if (c.result == 0) {
            EXPECT_EQ(buffer[0], 0x55);  // untouched
            continue;
        }
        // The fetch holds the report number and c.result - 1 bytes of data.
        const std::size_t data = std::min<std::size_t>(c.result - 1, 64);
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + data),
                  Bytes(report.begin(), report.begin() + data));
        EXPECT_TRUE(std::all_of(buffer.begin() + data, buffer.begin() + c.result,
                                [](auto b) { return b == 0; }));
        EXPECT_EQ(buffer[c.result], 0x55);  // past the result: untouched
    }
}

TEST_F(RealHid, AReaderThatNeverAnswersEndsTheReadAfterTheDriversWait)
{
    ASSERT_EQ(port.Open(0), 1);
    first->SetWhenEmpty(UhidDevice::WhenEmpty::kStaySilent);
    port.SetTimeouts(200, 30);  // no HID call uses them
    Bytes buffer(1024);
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(buffer.data(), 1024), 0u);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    // uhid gives a device 5 s to answer, as the USB HID driver does.
    EXPECT_GE(waited.count(), 4000);
    EXPECT_LT(waited.count(), 20000);
}

TEST_F(RealHid, AReaderUnpluggedWhileOpenFailsEveryCall)
{
    ASSERT_EQ(port.Open(0), 1);
    first->Unplug();
    ASSERT_TRUE(WaitForHidrawInterfaces(2));
    unsigned char data[64] = {1};
    EXPECT_EQ(port.Write(data, 10), 0u);
    EXPECT_EQ(port.Read(data, 64), 0u);
    EXPECT_EQ(port.Write(data, 0), 0u);
    EXPECT_EQ(port.IsOpen(), 1);  // open until closed, as with a handle to a gone device
    char name[CxHid::kNameSize];
    EXPECT_EQ(port.GetDevName(name), 1);
    EXPECT_STREQ(name, "/dev/hidraw0");
    port.Close();
    EXPECT_EQ(port.IsOpen(), 0);

    // The interfaces left move up: the other device is now at 0, the second
    // reader at 1.
    EXPECT_EQ(CxHid::FindFirstHidDev(), 1u);
    EXPECT_EQ(CxHid::FindNextHidDev(1), kNone);
    EXPECT_EQ(port.Open(0), 0);
    ASSERT_EQ(port.Open(1), 1);
    EXPECT_EQ(port.GetDevName(name), 1);
    EXPECT_STREQ(name, "/dev/hidraw2");
}

}  // namespace
