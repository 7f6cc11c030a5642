// The serial port on a real COM port of this system, whose far end is a
// simulated reader answering from com_port_reader.table. QUILLARD_TEST_COM
// names the port's number; without it the tests are skipped. They run on
// Windows (under Wine in CI) and in the test machine of tools/vm-tests.sh.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "hollet/CxComm.h"
#include "hollet/com_names.h"
#include "second_open.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;

long Milliseconds(Clock::duration d)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* number = std::getenv("QUILLARD_TEST_COM");
        if (!number) GTEST_SKIP() << "QUILLARD_TEST_COM names no COM port with a reader";
        port = std::strtoul(number, nullptr, 10);
        ASSERT_EQ(comm.Open(port, "19200,n,8,1"), 1);
    }

    // Sends `request` and reads the reply with the given time-outs.
    Bytes Ask(Bytes request, unsigned long total, unsigned long interval,
              unsigned long length = 1024, long* elapsed = nullptr)
    {
        EXPECT_EQ(comm.Write(request.data(), static_cast<unsigned long>(request.size())),
                  request.size());
        return ReadReply(total, interval, length, elapsed);
    }
    Bytes ReadReply(unsigned long total, unsigned long interval, unsigned long length = 1024,
                    long* elapsed = nullptr)
    {
        comm.SetTimeouts(total, interval);
        Bytes buffer(length);
        const auto start = Clock::now();
        const unsigned long n = comm.Read(buffer.data(), length);
        if (elapsed) *elapsed = Milliseconds(Clock::now() - start);
        buffer.resize(n);
        return buffer;
    }

    unsigned long port = 0;
    CxComm comm;
};

TEST_F(ComPortTest, TheSystemListsThePort)
{
    EXPECT_TRUE(ComPortListAvailable());
    const auto ports = ListComPorts();
    EXPECT_TRUE(std::any_of(ports.begin(), ports.end(), [&](const ComPortEntry& entry) {
        return entry.number == port && entry.name == "\\\\.\\COM" + std::to_string(port);
    }));
}

TEST_F(ComPortTest, OpensExclusivelyAtTheRateAsked)
{
    EXPECT_EQ(comm.GetBaud(), 19200u);
    EXPECT_EQ(comm.GetPort(), port);
    CxComm second;
    if (SecondOpenIsRefused()) {
        EXPECT_EQ(second.Open(port, "19200,n,8,1"), 0);
    }
    EXPECT_EQ(comm.Open(port, "fast,please"), 0);  // an open port stays open
    EXPECT_EQ(comm.IsOpen(), 1);
    EXPECT_EQ(comm.Open(port, "115200,e,8,1"), 1);
    EXPECT_EQ(comm.GetBaud(), 115200u);
    comm.Close();
    EXPECT_EQ(second.Open(port, "9600,n,8,1"), 1);
}

TEST_F(ComPortTest, EveryByteValueTravelsUnchangedBothWays)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
    EXPECT_EQ(Ask(all, 2000, 200), all);
}

TEST_F(ComPortTest, ReplyEndsAfterTheIntervalOfSilence)
{
    // gaps of 20 ms, shorter than the interval: one reply
    EXPECT_THAT(Ask({0xA1}, 2000, 150), ElementsAre(0x90, 0x00, 0x11));
    // gaps of 400 ms, longer than the interval: each byte a reply of its own
    EXPECT_THAT(Ask({0xA2}, 2000, 100), ElementsAre(0x01));
    EXPECT_THAT(ReadReply(2000, 100), ElementsAre(0x02));
    EXPECT_THAT(ReadReply(2000, 100), ElementsAre(0x03));
}

TEST_F(ComPortTest, NoReplyTakesTheTotalPlusOneInterval)
{
    long elapsed = 0;
    EXPECT_TRUE(Ask({0xA3}, 300, 200, 1024, &elapsed).empty());
    EXPECT_GE(elapsed, 450);
    EXPECT_LT(elapsed, 5000);
}

TEST_F(ComPortTest, LongestTotalTimeoutStillWaitsForALateReply)
{
    long elapsed = 0;
    EXPECT_THAT(Ask({0xA4}, 0xFFFFFFFF, 50, 1024, &elapsed), ElementsAre(0x42));
    EXPECT_GE(elapsed, 100);
}

TEST_F(ComPortTest, LengthBoundsTheReplyAndPurgeDropsTheRest)
{
    EXPECT_EQ(Ask({0xA5}, 2000, 200, 16).size(), 16u);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(comm.Purge(), 1);
    EXPECT_TRUE(ReadReply(100, 20).empty());

    const Bytes request{0xA6};
    comm.Write(const_cast<unsigned char*>(request.data()), 1);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(comm.Purge(), 1);
    EXPECT_TRUE(ReadReply(100, 20).empty());
}

TEST_F(ComPortTest, CloseEndsAPendingWaitPromptly)
{
    Bytes silent{0xA3};
    comm.Write(silent.data(), 1);
    comm.SetTimeouts(60000, 30);
    auto pending = std::async(std::launch::async, [&] {
        Bytes buffer(1024);
        const auto start = Clock::now();
        const unsigned long n = comm.Read(buffer.data(), 1024);
        return std::make_pair(n, Milliseconds(Clock::now() - start));
    });
    std::this_thread::sleep_for(300ms);
    const auto closing = Clock::now();
    comm.Close();
    const long closeMs = Milliseconds(Clock::now() - closing);
    const auto [count, readMs] = pending.get();
    EXPECT_EQ(count, 0u);
    EXPECT_LT(readMs, 10000);
    EXPECT_LT(closeMs, 5000);
    EXPECT_EQ(comm.IsOpen(), 0);

    // and the port opens and talks normally again
    ASSERT_EQ(comm.Open(port, "19200,n,8,1"), 1);
    EXPECT_THAT(Ask({0x07}, 2000, 100), ElementsAre(0x07));
}

}  // namespace
