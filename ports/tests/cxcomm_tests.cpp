#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "hollet/CxComm.h"
#include "pty_peer.h"
#include "slow_drain_linux.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Records the device names OpenPort is called with: the slot is reached
// through the virtual table.
class RecordingComm : public CxComm {
public:
    std::vector<std::string> opened;
    const CommTimeouts& Timeouts() const { return m_timeouts; }
    std::recursive_mutex& PortLock() { return m_lock; }

protected:
    int OpenPort() override
    {
        opened.push_back(m_szDevName);
        return CxComm::OpenPort();
    }
};

// A device that has gone is looked for only now and then: waits for the next time.
void WaitForTheNextLook(const CxComm& comm)
{
    if (const auto next = comm.GetDevicePresence().nextLook)
        std::this_thread::sleep_until(*next + 1ms);
}

long Milliseconds(Clock::duration d)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

class CxCommTest : public ::testing::Test {
protected:
    void OpenPort(const char* settings = "19200,n,8,1")
    {
        ASSERT_EQ(comm.Open(PtyPeer::kComNumber, settings), 1);
    }
    std::vector<unsigned char> ReadReply(unsigned long total, unsigned long interval,
                                         unsigned long length = 1024, long* elapsed = nullptr)
    {
        comm.SetTimeouts(total, interval);
        std::vector<unsigned char> buffer(length);
        const auto start = Clock::now();
        const unsigned long n = comm.Read(buffer.data(), length);
        if (elapsed) *elapsed = Milliseconds(Clock::now() - start);
        buffer.resize(n);
        return buffer;
    }

    PtyPeer peer;
    RecordingComm comm;
};

TEST_F(CxCommTest, NewPortIsClosedAndRefusesEverything)
{
    unsigned char byte = 0;
    EXPECT_EQ(comm.IsOpen(), 0);
    comm.Close();
    EXPECT_EQ(comm.Read(&byte, 1), 0u);
    EXPECT_EQ(comm.Write(&byte, 1), 0u);
    EXPECT_EQ(comm.SetTimeouts(200, 30), 0);
    EXPECT_EQ(comm.Purge(), 0);
    EXPECT_EQ(comm.GetPort(), 0xFFFFFFFFu);
}

TEST_F(CxCommTest, PortNumbersOutsideTheRangeChangeNothing)
{
    EXPECT_EQ(comm.Open(0, "19200,n,8,1"), 0);
    EXPECT_EQ(comm.Open(1025, "19200,n,8,1"), 0);
    EXPECT_EQ(comm.GetPort(), 0xFFFFFFFFu);
    EXPECT_THAT(comm.opened, ::testing::IsEmpty());

    EXPECT_EQ(comm.Open(1024, "19200,n,8,1"), 0);  // no such device, but it was tried
    EXPECT_THAT(comm.opened, ::testing::ElementsAre("\\\\.\\COM1024"));
    EXPECT_EQ(comm.GetPort(), 1024u);
}

TEST_F(CxCommTest, OpenSetsTheLineAndTheOpeningTimeouts)
{
    struct Case {
        const char* settings;
        speed_t speed;
        std::uint32_t baud;
        bool parity;
    };
    for (const Case& c :
         {Case{"19200,n,8,1", B19200, 19200, false}, Case{"115200,e,8,1", B115200, 115200, true},
          Case{"4800,n,8,1", B4800, 4800, false},
          Case{"COM3 : 9600,n,8,1,x", B9600, 9600, false}}) {
        SCOPED_TRACE(c.settings);
        OpenPort(c.settings);
        EXPECT_EQ(comm.GetBaud(), c.baud);
        EXPECT_EQ(comm.GetPort(), PtyPeer::kComNumber);
        const termios tio = peer.LineState();
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        // A pseudo-terminal keeps no parity bit of its own (it forces CS8 and
        // clears PARENB); parity checking on input shows what was asked.
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.parity);
        EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
        // raw: no echo, no line editing, no translation, no flow control
        EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
        EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(comm.Timeouts().ReadTotalTimeoutConstant, 200u);
        EXPECT_EQ(comm.Timeouts().ReadIntervalTimeout, 0xFFFFFFFFu);
    }
}

// The key form without "stop=" means one stop bit, whatever the last open set.
TEST_F(CxCommTest, KeyFormWithoutStopBitsOpensWithOne)
{
    OpenPort("19200,n,8,2");
    EXPECT_NE(peer.LineState().c_cflag & CSTOPB, 0u);
    OpenPort("baud=19200 parity=n data=8");
    EXPECT_EQ(peer.LineState().c_cflag & CSTOPB, 0u);
}

TEST_F(CxCommTest, RejectedSettingsLeaveAnOpenPortOpen)
{
    OpenPort();
    EXPECT_EQ(comm.Open(PtyPeer::kComNumber, "fast,please"), 0);
    EXPECT_EQ(comm.IsOpen(), 1);
    EXPECT_EQ(comm.GetBaud(), 19200u);
    // A rate the line cannot take fails after the device was opened: closed.
    EXPECT_EQ(comm.Open(PtyPeer::kComNumber, "12345,n,8,1"), 0);
    EXPECT_EQ(comm.IsOpen(), 0);
}

TEST_F(CxCommTest, EveryByteValueTravelsUnchangedBothWays)
{
    OpenPort();
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);

    EXPECT_EQ(comm.Write(all.data(), 256), 256u);
    EXPECT_EQ(peer.Receive(256), all);

    peer.Send(all);
    EXPECT_EQ(ReadReply(1000, 100), all);
}

TEST_F(CxCommTest, ReplyEndsAfterTheIntervalOfSilence)
{
    OpenPort();
    // gaps shorter than the interval: one reply
    std::thread reader([&] {
        for (unsigned char b : {0x90, 0x00, 0x11}) {
            peer.Send({b});
            std::this_thread::sleep_for(20ms);
        }
    });
    EXPECT_THAT(ReadReply(1000, 150), ::testing::ElementsAre(0x90, 0x00, 0x11));
    reader.join();

    // a gap longer than the interval ends the reply there
    std::thread slow([&] {
        peer.Send({0x01, 0x02});
        std::this_thread::sleep_for(400ms);
        peer.Send({0x03});
    });
    EXPECT_THAT(ReadReply(1000, 100), ::testing::ElementsAre(0x01, 0x02));
    slow.join();
    EXPECT_THAT(ReadReply(1000, 100), ::testing::ElementsAre(0x03));
}

TEST_F(CxCommTest, NoReplyTakesTheTotalPlusOneInterval)
{
    OpenPort();
    long elapsed = 0;
    EXPECT_TRUE(ReadReply(300, 200, 1024, &elapsed).empty());
    EXPECT_GE(elapsed, 490);
    EXPECT_LT(elapsed, 3000);
}

TEST_F(CxCommTest, LengthBoundsTheReply)
{
    OpenPort();
    unsigned char byte = 0;
    EXPECT_EQ(comm.Read(&byte, 0), 0u);
    EXPECT_EQ(comm.Write(&byte, 0), 0u);

    // A reader that never falls silent still ends the read at `length`.
    std::atomic<bool> streaming{true};
    std::thread chatter([&] {
        while (streaming) {
            peer.Send({0x55});
            std::this_thread::sleep_for(1ms);
        }
    });
    EXPECT_EQ(ReadReply(1000, 100, 16).size(), 16u);
    streaming = false;
    chatter.join();
}

TEST_F(CxCommTest, LongestTotalTimeoutStillWaitsForTheReply)
{
    OpenPort();
    std::thread late([&] {
        std::this_thread::sleep_for(150ms);
        peer.Send({0x42});
    });
    long elapsed = 0;
    EXPECT_THAT(ReadReply(0xFFFFFFFF, 50, 1024, &elapsed), ::testing::ElementsAre(0x42));
    EXPECT_GE(elapsed, 100);
    late.join();
}

TEST_F(CxCommTest, OpenIsExclusive)
{
    OpenPort();
    CxComm second;
    EXPECT_EQ(second.Open(PtyPeer::kComNumber, "19200,n,8,1"), 0);

    // nor in another process
    const pid_t child = fork();
    if (child == 0) {
        CxComm other;
        _exit(other.Open(PtyPeer::kComNumber, "19200,n,8,1"));
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // once closed, the device is free again; destroying an open port frees it too
    comm.Close();
    {
        CxComm third;
        EXPECT_EQ(third.Open(PtyPeer::kComNumber, "19200,n,8,1"), 1);
    }
    EXPECT_EQ(second.Open(PtyPeer::kComNumber, "19200,n,8,1"), 1);
}

TEST_F(CxCommTest, UnpluggedDeviceEndsTheReadAndLaterCallsFail)
{
    OpenPort();
    peer.CloseSlave();
    std::thread unplug([&] {
        peer.Send({0xAA, 0xBB});
        std::this_thread::sleep_for(50ms);
        peer.CloseMaster();
    });
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    long elapsed = 0;
    EXPECT_THAT(ReadReply(5000, 2000, 1024, &elapsed), ::testing::ElementsAre(0xAA, 0xBB));
    unplug.join();
    EXPECT_LT(elapsed, 1500);  // the interval of 2000 ms was not waited out

    // later calls fail at once, without spinning
    EXPECT_TRUE(ReadReply(5000, 2000, 1024, &elapsed).empty());
    EXPECT_LT(elapsed, 1500);
    unsigned char byte = 1;
    EXPECT_EQ(comm.Write(&byte, 1), 0u);
    getrusage(RUSAGE_SELF, &after);
    const long cpuMs = (after.ru_utime.tv_sec - before.ru_utime.tv_sec) * 1000 +
                       (after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1000 +
                       (after.ru_stime.tv_sec - before.ru_stime.tv_sec) * 1000 +
                       (after.ru_stime.tv_usec - before.ru_stime.tv_usec) / 1000;
    EXPECT_LT(cpuMs, 500);
    comm.Close();
    EXPECT_EQ(comm.IsOpen(), 0);
}

// The adapter is pulled out and comes back as another device: the COM link
// leads to a by-id style link, which is pointed at the new device. Until then
// every transfer fails at once; after it the port goes on by itself with its
// line setting and time-outs.
TEST_F(CxCommTest, ADeviceThatComesBackIsOpenedAgainWithItsSettings)
{
    namespace fs = std::filesystem;
    const fs::path byId = fs::path(peer.Folder()) / "by-id-reader";
    fs::create_symlink(peer.SlavePath(), byId);
    fs::remove(peer.Link(PtyPeer::kComNumber));
    fs::create_symlink(byId, peer.Link(PtyPeer::kComNumber));
    OpenPort("19200,e,8,1");
    unsigned char request = 0x5A;
    ASSERT_EQ(comm.Write(&request, 1), 1u);
    EXPECT_THAT(peer.Receive(1), ::testing::ElementsAre(0x5A));

    peer.Replug();  // pulled out; the new device is there, but not yet linked
    long elapsed = 0;
    EXPECT_TRUE(ReadReply(3000, 50, 1024, &elapsed).empty());  // hangs up at once
    EXPECT_LT(elapsed, 1500);
    for (int transfer = 0; transfer < 3; ++transfer) {
        const auto start = Clock::now();
        EXPECT_EQ(comm.SetTimeouts(3000, 50), 0);
        EXPECT_EQ(comm.Purge(), 0);
        EXPECT_EQ(comm.Write(&request, 1), 0u);
        EXPECT_TRUE(ReadReply(3000, 50).empty());
        EXPECT_LT(Milliseconds(Clock::now() - start), 500);
    }
    EXPECT_NE(comm.IsOpen(), 0);  // open as far as the user is concerned

    fs::remove(byId);
    fs::create_symlink(peer.SlavePath(), byId);
    WaitForTheNextLook(comm);
    EXPECT_EQ(comm.SetTimeouts(3000, 50), 1);
    const termios tio = peer.LineState();
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_NE(tio.c_iflag & INPCK, 0u);  // even parity, checked, as opened
    ASSERT_EQ(comm.Write(&request, 1), 1u);
    EXPECT_THAT(peer.Receive(1), ::testing::ElementsAre(0x5A));
    peer.Send({0x90, 0x00});
    EXPECT_THAT(ReadReply(3000, 50), ::testing::ElementsAre(0x90, 0x00));
    comm.Close();
    EXPECT_EQ(comm.IsOpen(), 0);
    EXPECT_EQ(comm.Write(&request, 1), 0u);  // closed by the user: nothing comes back
}

// A pseudo-terminal that went away gives its number to the next one made,
// which may be another program's terminal: the port does not take it by the
// old way, only once the link to it has been made anew (a bridge started
// again, say).
TEST_F(CxCommTest, APseudoTerminalsNumberIsNotTakenBackUntilItsLinkIsMadeAnew)
{
    namespace fs = std::filesystem;
    OpenPort();
    const std::string number = peer.SlavePath();
    peer.CloseSlave();
    peer.CloseMaster();
    EXPECT_TRUE(ReadReply(1000, 50).empty());  // the hang-up lets the number go

    struct Pty {
        int master = -1, slave = -1;
        std::string name;
    };
    std::vector<Pty> made;
    std::optional<Pty> newcomer;
    for (int i = 0; i < 64 && !newcomer; ++i) {
        Pty pty;
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&pty.master, &pty.slave, name, &raw, nullptr) != 0) break;
        pty.name = name;
        if (pty.name == number)
            newcomer = pty;
        else
            made.push_back(pty);
    }
    for (const Pty& other : made) {
        close(other.master);
        close(other.slave);
    }
    if (!newcomer) GTEST_SKIP() << "no pseudo-terminal got the number " << number << " again";
    fcntl(newcomer->master, F_SETFL, fcntl(newcomer->master, F_GETFL) | O_NONBLOCK);
    auto received = [&] {
        std::vector<unsigned char> bytes;
        pollfd fd{newcomer->master, POLLIN, 0};
        unsigned char buffer[64];
        while (poll(&fd, 1, 200) > 0 && (fd.revents & POLLIN)) {
            const ssize_t n = read(newcomer->master, buffer, sizeof buffer);
            if (n <= 0) break;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    };

    unsigned char request = 0x5A;
    EXPECT_EQ(comm.Write(&request, 1), 0u);
    EXPECT_TRUE(received().empty());
    const int someoneElse = open(number.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(someoneElse, 0);
    EXPECT_EQ(flock(someoneElse, LOCK_EX | LOCK_NB), 0);  // nobody holds the terminal
    close(someoneElse);

    fs::remove(peer.Link(PtyPeer::kComNumber));
    fs::create_symlink(number, peer.Link(PtyPeer::kComNumber));
    WaitForTheNextLook(comm);
    EXPECT_EQ(comm.Write(&request, 1), 1u);
    EXPECT_THAT(received(), ::testing::ElementsAre(0x5A));
    comm.Close();
    close(newcomer->master);
    close(newcomer->slave);
}

// Two USB adapters of one kind are pulled out and the other one comes back
// first under the name: the port leaves it alone (its far end gets nothing,
// nobody holds it) and says which it found. Its own adapter, known by its
// serial number, is taken back even on another USB port. Between the looks for
// it, which are at least a quarter of a second apart, transfers fail at once.
TEST_F(CxCommTest, OnlyTheAdapterThatWasOpenedIsTakenBack)
{
    namespace fs = std::filesystem;
    const fs::path sys = fs::path(peer.Folder()) / "sys";
    // The tty's place in sysfs: an interface of a USB device with vendor,
    // product and serial number, reached from the device number.
    auto plugIn = [&](const std::string& usbPort, const std::string& serial) {
        const fs::path usb = sys / "devices" / usbPort;
        fs::create_directories(usb / (usbPort + ":1.0"));
        std::ofstream(usb / "idVendor") << "10c4\n";
        std::ofstream(usb / "idProduct") << "ea60\n";
        std::ofstream(usb / "serial") << serial << "\n";
        struct stat device {};
        ASSERT_EQ(stat(peer.SlavePath().c_str(), &device), 0);
        const fs::path node =
            sys / "dev" / "char" /
            (std::to_string(major(device.st_rdev)) + ":" + std::to_string(minor(device.st_rdev)));
        fs::remove_all(node);
        fs::create_directories(node);
        fs::create_symlink(usb / (usbPort + ":1.0"), node / "device");
        fs::remove(peer.Link(PtyPeer::kComNumber));
        fs::create_symlink(peer.SlavePath(), peer.Link(PtyPeer::kComNumber));
    };
    SetDefaultComPortRoots(
        {.linkFolder = peer.Folder(), .sysDevCharFolder = (sys / "dev" / "char").string()});
    plugIn("1-1", "A0001");
    OpenPort("19200,e,8,1");
    unsigned char request = 0x5A;
    ASSERT_EQ(comm.Write(&request, 1), 1u);
    EXPECT_THAT(peer.Receive(1), ::testing::ElementsAre(0x5A));
    EXPECT_EQ(comm.GetDevicePresence().state, DevicePresence::State::kThere);

    peer.Replug();
    plugIn("1-2", "B0002");                  // the other adapter
    EXPECT_EQ(comm.Write(&request, 1), 0u);  // the old one has gone
    for (int look = 0; look < 2; ++look) {
        WaitForTheNextLook(comm);
        const auto lookedAt = Clock::now();
        EXPECT_EQ(comm.Write(&request, 1), 0u);
        const DevicePresence presence = comm.GetDevicePresence();
        EXPECT_EQ(presence.state, DevicePresence::State::kOtherDevice);
        EXPECT_THAT(presence.otherDevice, ::testing::HasSubstr("USB 10c4:ea60 serial B0002"));
        EXPECT_THAT(presence.ownDevice, ::testing::HasSubstr("serial A0001"));
        ASSERT_TRUE(presence.nextLook);
        EXPECT_GE(Milliseconds(*presence.nextLook - lookedAt), 250);
        // until then every transfer fails at once
        const auto start = Clock::now();
        for (int transfer = 0; transfer < 20; ++transfer)
            EXPECT_EQ(comm.Write(&request, 1), 0u);
        EXPECT_LT(Milliseconds(Clock::now() - start), 200);
    }
    EXPECT_TRUE(peer.Receive(1, 300ms).empty());
    const int other = open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    close(other);
    const unsigned long changes = comm.GetDevicePresence().changes;

    peer.Replug();
    plugIn("2-1", "A0001");  // its own, on another USB port
    WaitForTheNextLook(comm);
    ASSERT_EQ(comm.Write(&request, 1), 1u);
    EXPECT_THAT(peer.Receive(1), ::testing::ElementsAre(0x5A));
    const termios tio = peer.LineState();
    EXPECT_NE(tio.c_iflag & INPCK, 0u);  // as opened
    const DevicePresence back = comm.GetDevicePresence();
    EXPECT_EQ(back.state, DevicePresence::State::kThere);
    EXPECT_EQ(back.changes, changes + 1);
    EXPECT_FALSE(back.nextLook);
}

// The reader's own timing: from the end of the write to its first and its
// last reply byte; none without a reply.
TEST_F(CxCommTest, TheLastReplyKeepsItsFirstAndLastByteTimes)
{
    OpenPort();
    unsigned char request = 0x01;
    ASSERT_EQ(comm.Write(&request, 1), 1u);
    std::thread reader([&] {
        peer.Receive(1);
        std::this_thread::sleep_for(60ms);
        peer.Send({0x90});
        std::this_thread::sleep_for(60ms);
        peer.Send({0x00});
    });
    EXPECT_THAT(ReadReply(2000, 300), ::testing::ElementsAre(0x90, 0x00));
    reader.join();
    const ReplyTimes times = comm.GetLastReplyTimes();
    ASSERT_TRUE(times.firstByte && times.lastByte);
    EXPECT_GE(*times.firstByte, 50ms);
    EXPECT_LT(*times.firstByte, 1000ms);
    EXPECT_GE(*times.lastByte - *times.firstByte, 50ms);

    ASSERT_EQ(comm.Write(&request, 1), 1u);
    EXPECT_TRUE(ReadReply(20, 10).empty());
    EXPECT_FALSE(comm.GetLastReplyTimes().firstByte);
    EXPECT_FALSE(comm.GetLastReplyTimes().lastByte);
}

// On a real line a frame takes time to leave: the reply's times count from
// when it has left, so they are the reader's and not the baud rate's.
TEST_F(CxCommTest, AReplysTimesCountFromWhenTheRequestHasLeft)
{
    OpenPort();
    SlowDrain slowLine(250ms);
    std::thread reader([&] {
        peer.Receive(3);
        // The reader answers 60 ms after the frame's last byte reached it.
        if (!slowLine.WaitForADrain(3s)) return;
        std::this_thread::sleep_for(60ms);
        peer.Send({0x90, 0x00});
    });
    unsigned char request[] = {0x00, 0xA4, 0x04};
    const auto writeStart = Clock::now();
    ASSERT_EQ(comm.Write(request, sizeof request), 3u);
    EXPECT_GE(Clock::now() - writeStart, 240ms) << "the write ended before its bytes had left";
    EXPECT_THAT(ReadReply(2000, 200), ::testing::ElementsAre(0x90, 0x00));
    reader.join();
    EXPECT_EQ(slowLine.Drains(), 1);
    const ReplyTimes times = comm.GetLastReplyTimes();
    ASSERT_TRUE(times.firstByte);
    EXPECT_GE(*times.firstByte, 50ms);
    EXPECT_LT(*times.firstByte, 240ms) << "the time the frame took to leave was counted";
}

TEST_F(CxCommTest, CloseEndsAPendingWaitPromptly)
{
    OpenPort();
    comm.SetTimeouts(60000, 30);
    auto pending = std::async(std::launch::async, [&] {
        std::vector<unsigned char> buffer(1024);
        const auto start = Clock::now();
        const unsigned long n = comm.Read(buffer.data(), 1024);
        return std::make_pair(n, Milliseconds(Clock::now() - start));
    });
    std::this_thread::sleep_for(200ms);
    const auto closing = Clock::now();
    comm.Close();
    const long closeMs = Milliseconds(Clock::now() - closing);
    const auto [count, readMs] = pending.get();
    EXPECT_EQ(count, 0u);
    EXPECT_LT(readMs, 5000);
    EXPECT_LT(closeMs, 1000);
    EXPECT_EQ(comm.IsOpen(), 0);

    // a transfer that starts after the close touches no device
    unsigned char byte = 0;
    EXPECT_EQ(comm.Read(&byte, 1), 0u);
    EXPECT_EQ(comm.Write(&byte, 1), 0u);

    // and the port opens and reads normally again
    OpenPort();
    peer.Send({0x01});
    EXPECT_THAT(ReadReply(1000, 50), ::testing::ElementsAre(0x01));
}

TEST_F(CxCommTest, AReplyThatACloseCutsShortIsNoReply)
{
    OpenPort();
    comm.SetTimeouts(1000, 200);
    std::atomic<bool> streaming{true};
    std::thread reader([&] {  // a long reply, one byte every 20 ms
        for (int i = 0; i < 200 && streaming; ++i) {
            peer.Send({static_cast<unsigned char>(i)});
            std::this_thread::sleep_for(20ms);
        }
    });
    auto pending = std::async(std::launch::async, [&] {
        std::vector<unsigned char> buffer(1024);
        return comm.Read(buffer.data(), 1024);
    });
    std::this_thread::sleep_for(300ms);
    comm.Close();
    EXPECT_EQ(pending.get(), 0u);
    streaming = false;
    reader.join();
}

TEST_F(CxCommTest, NothingIsSentOnceACloseHasBegun)
{
    OpenPort();
    // The test holds the port's lock, so that the close waits for it as it
    // waits for a transfer in progress; a thread whose awaited reply the close
    // ended must not get another request out meanwhile.
    std::unique_lock held(comm.PortLock());
    std::thread closer([&] { comm.Close(); });
    const auto deadline = Clock::now() + 5s;
    while (comm.IsOpen() && Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(comm.IsOpen(), 0);
    unsigned char byte = 0x5A;
    EXPECT_EQ(comm.Write(&byte, 1), 0u);
    EXPECT_EQ(comm.Read(&byte, 1), 0u);
    held.unlock();
    closer.join();
    EXPECT_TRUE(peer.Receive(1, 200ms).empty());
    EXPECT_EQ(comm.IsOpen(), 0);
}

TEST_F(CxCommTest, PurgeDiscardsPendingInput)
{
    OpenPort();
    peer.Send({1, 2, 3});
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(comm.Purge(), 1);
    EXPECT_TRUE(ReadReply(100, 20).empty());
}

TEST_F(CxCommTest, FiveValueTimeoutsAreStoredAsGiven)
{
    OpenPort();
    EXPECT_EQ(comm.SetTimeouts(1, 2, 3, 4, 5), 1);
    const CommTimeouts& t = comm.Timeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 1u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 2u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 3u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 4u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 5u);
    EXPECT_EQ(comm.SetTimeouts(250, 40), 1);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 250u);
    EXPECT_EQ(t.ReadIntervalTimeout, 40u);
    EXPECT_EQ(
        t.ReadTotalTimeoutMultiplier + t.WriteTotalTimeoutMultiplier + t.WriteTotalTimeoutConstant,
        0u);
}

}  // namespace
