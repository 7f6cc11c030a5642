#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "hollet/CxHid.h"
#include "output_report.h"
#include "simulated_hid.h"

namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<unsigned char>;
constexpr unsigned long kNone = 0xFFFFFFFF;

class CxHidTest : public ::testing::Test {
protected:
    SimulatedHid sim;
    CxHid hid;
};

TEST_F(CxHidTest, SearchFindsReadersAmongOtherDevices)
{
    EXPECT_EQ(CxHid::FindFirstHidDev(), kNone);  // nothing present

    sim.AddOtherDevice();                 // 0
    const auto first = sim.AddReader();   // 1
    sim.AddOtherDevice(0x10C4, 0x0008);   // 2: same vendor, other product
    sim.AddOtherDevice(0x10C5, 0x0007);   // 3
    const auto second = sim.AddReader();  // 4
    sim.AddOtherDevice();                 // 5

    EXPECT_EQ(CxHid::FindFirstHidDev(), first);
    EXPECT_EQ(CxHid::FindNextHidDev(first), second);
    EXPECT_EQ(CxHid::FindNextHidDev(second), kNone);
    EXPECT_EQ(CxHid::FindNextHidDev(kNone), kNone);
    EXPECT_EQ(sim.OpenHandles(), 0u);  // the search closes what it opened
}

TEST_F(CxHidTest, SearchFailures)
{
    struct Case {
        const char* name;
        void (*spoil)(SimulatedHid::Device&);
        unsigned long found;  // with a reader at 0 spoiled and a good one at 2
    };
    const Case cases[] = {
        {"enumeration fails: passed over", [](auto& d) { d.enumFails = true; }, 2},
        {"cannot be opened: passed over", [](auto& d) { d.openFails = true; }, 2},
        {"path too long: passed over", [](auto& d) { d.path.assign(1024, 'p'); }, 2},
        {"detail fails: no reader", [](auto& d) { d.detailFails = true; }, kNone},
        {"attributes fail: no reader", [](auto& d) { d.attributesFail = true; }, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedHid local;
        local.AddReader();
        local.AddOtherDevice();
        local.AddReader();
        c.spoil(local.At(0));
        EXPECT_EQ(CxHid::FindFirstHidDev(), c.found);
        EXPECT_EQ(local.OpenHandles(), 0u);
    }
    SimulatedHid broken;
    broken.AddReader();
    broken.setFails = true;
    EXPECT_EQ(CxHid::FindFirstHidDev(), kNone);
    EXPECT_EQ(hid.Open(0), 0);
}

TEST_F(CxHidTest, OpenTakesOnlyAReaderAndKeepsAnOpenDevice)
{
    const auto other = sim.AddOtherDevice();
    const auto reader = sim.AddReader();
    EXPECT_EQ(hid.Open(other), 0);
    EXPECT_EQ(hid.IsOpen(), 0);
    EXPECT_EQ(sim.OpenHandles(), 0u);
    EXPECT_EQ(hid.Open(7), 0);  // no such interface

    char name[1024];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(hid.GetDevName(name), 0);
    EXPECT_EQ(name[0], 'x');  // untouched

    EXPECT_EQ(hid.Open(reader), 1);
    EXPECT_EQ(hid.GetDevName(name), 1);
    EXPECT_STREQ(name, "/dev/hidraw1");
    EXPECT_EQ(hid.Open(other), 1);  // already open: the index is not looked at
    EXPECT_EQ(hid.GetDevName(name), 1);
    EXPECT_STREQ(name, "/dev/hidraw1");

    hid.Close();
    EXPECT_EQ(hid.IsOpen(), 0);
    EXPECT_EQ(sim.OpenHandles(), 0u);
    hid.Close();  // closed already: nothing
}

TEST_F(CxHidTest, OpenFailures)
{
    struct Case {
        const char* name;
        void (*spoil)(SimulatedHid::Device&);
    };
    const Case cases[] = {
        {"enumeration fails", [](auto& d) { d.enumFails = true; }},
        {"detail fails", [](auto& d) { d.detailFails = true; }},
        {"cannot be opened", [](auto& d) { d.openFails = true; }},
        {"attributes fail", [](auto& d) { d.attributesFail = true; }},
        {"path too long", [](auto& d) { d.path.assign(1500, 'p'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedHid local;
        c.spoil(local.At(local.AddReader()));
        CxHid port;
        EXPECT_EQ(port.Open(0), 0);
        EXPECT_EQ(port.IsOpen(), 0);
        EXPECT_EQ(local.OpenHandles(), 0u);
    }
}

TEST_F(CxHidTest, WritesGoOutIn64ByteReports)
{
    const auto reader = sim.AddReader();
    ASSERT_EQ(hid.Open(reader), 1);
    auto& sent = sim.At(reader).outputReports;

    Bytes data(100);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i + 1);
    EXPECT_EQ(hid.Write(data.data(), 100), 100u);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], OutputReport(Bytes(data.begin(), data.begin() + 64)));
    EXPECT_EQ(sent[1], OutputReport(Bytes(data.begin() + 64, data.end())));

    sent.clear();
    EXPECT_EQ(hid.Write(data.data(), 64), 64u);
    EXPECT_EQ(sent.size(), 1u);

    sent.clear();
    EXPECT_EQ(hid.Write(data.data(), 0), 0u);
    EXPECT_THAT(sent, ElementsAre(Bytes(65, 0)));
}

TEST_F(CxHidTest, ReadFetchesOneReportAndReturnsTheLengthAskedFor)
{
    const auto reader = sim.AddReader();
    ASSERT_EQ(hid.Open(reader), 1);
    Bytes longReport(64, 0xEE);
    sim.At(reader).inputReports = {longReport, {0x90, 0x00}};

    Bytes buffer(1024, 0x55);
    EXPECT_EQ(hid.Read(buffer.data(), 1024), 1024u);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + 64, [](auto b) { return b == 0xEE; }));
    EXPECT_TRUE(std::all_of(buffer.begin() + 64, buffer.end(), [](auto b) { return b == 0; }));

    // A shorter report after a longer one carries nothing of the earlier one.
    EXPECT_EQ(hid.Read(buffer.data(), 1024), 1024u);
    EXPECT_THAT(Bytes(buffer.begin(), buffer.begin() + 3), ElementsAre(0x90, 0x00, 0x00));
    EXPECT_TRUE(std::all_of(buffer.begin() + 2, buffer.end(), [](auto b) { return b == 0; }));

    // no report: nothing
    EXPECT_EQ(hid.Read(buffer.data(), 1024), 0u);

    // A read of one byte leaves no room for data after the report ID: the
    // fetch is refused and the report stays.
    sim.At(reader).inputReports = {{0x90, 0x91}};
    std::fill(buffer.begin(), buffer.end(), 0x55);
    EXPECT_EQ(hid.Read(buffer.data(), 1), 0u);
    EXPECT_EQ(buffer[0], 0x55);
    // Two bytes: the report ID and the first data byte are fetched.
    EXPECT_EQ(hid.Read(buffer.data(), 2), 2u);
    EXPECT_THAT(Bytes(buffer.begin(), buffer.begin() + 3), ElementsAre(0x90, 0x00, 0x55));
}

// A report brings its bytes at once: the first and the last reply byte come
// when it is fetched, counted from the end of the write; no report, no times.
TEST_F(CxHidTest, TheLastReadKeepsTheTimeOfItsReport)
{
    const auto reader = sim.AddReader();
    ASSERT_EQ(hid.Open(reader), 1);
    sim.At(reader).inputReports = {{0x90, 0x00}};
    unsigned char request = 1;
    ASSERT_EQ(hid.Write(&request, 1), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Bytes buffer(1024);
    ASSERT_EQ(hid.Read(buffer.data(), 1024), 1024u);
    const ReplyTimes times = hid.GetLastReplyTimes();
    ASSERT_TRUE(times.firstByte && times.lastByte);
    EXPECT_GE(*times.firstByte, std::chrono::milliseconds(20));
    EXPECT_EQ(*times.firstByte, *times.lastByte);
    EXPECT_EQ(hid.Read(buffer.data(), 1024), 0u);
    EXPECT_FALSE(hid.GetLastReplyTimes().firstByte);
}

TEST_F(CxHidTest, ReadNeverRunsPastTheInputBuffer)
{
    const auto reader = sim.AddReader();
    ASSERT_EQ(hid.Open(reader), 1);
    sim.At(reader).inputReports = {Bytes(5000, 0x11)};
    Bytes buffer(6000, 0x55);
    EXPECT_EQ(hid.Read(buffer.data(), 6000), 4095u);
    // The fetch is asked for 4095 bytes with the report ID: 4094 data bytes.
    EXPECT_EQ(buffer[4093], 0x11);
    EXPECT_EQ(buffer[4094], 0x00);
    EXPECT_EQ(buffer[4095], 0x55);  // beyond what was taken: untouched
}

TEST_F(CxHidTest, UnpluggedOrClosedReaderGivesZero)
{
    const auto reader = sim.AddReader();
    unsigned char byte = 1;
    EXPECT_EQ(hid.Write(&byte, 1), 0u);  // closed
    EXPECT_EQ(hid.Read(&byte, 1), 0u);

    const auto later = sim.AddReader();
    ASSERT_EQ(hid.Open(reader), 1);
    sim.At(reader).unplugged = true;
    sim.At(reader).inputReports = {{0x01, 0x02}};
    EXPECT_EQ(hid.Write(&byte, 1), 0u);
    unsigned char buffer[64];
    EXPECT_EQ(hid.Read(buffer, 64), 0u);
    EXPECT_EQ(hid.SetTimeouts(500, 40), 1);
    EXPECT_EQ(hid.Purge(), 1);
    hid.Close();
    EXPECT_EQ(hid.IsOpen(), 0);
    // The gone reader leaves the enumeration: the one after it moves up.
    EXPECT_EQ(CxHid::FindFirstHidDev(), later - 1);
    EXPECT_EQ(CxHid::FindNextHidDev(later - 1), kNone);
    ASSERT_EQ(hid.Open(later - 1), 1);
    char name[1024];
    EXPECT_EQ(hid.GetDevName(name), 1);
    EXPECT_STREQ(name, "/dev/hidraw1");
}

TEST_F(CxHidTest, DestroyingAnOpenPortClosesItsDevice)
{
    const auto reader = sim.AddReader();
    {
        CxHid port;
        ASSERT_EQ(port.Open(reader), 1);
        EXPECT_EQ(sim.OpenHandles(), 1u);
    }
    EXPECT_EQ(sim.OpenHandles(), 0u);
}

}  // namespace
