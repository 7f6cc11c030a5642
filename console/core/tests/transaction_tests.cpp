#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "fake_port.h"
#include "hollet/CxHid.h"
#include "hollet/reply_timing.h"
#include "quillard/log_texts.h"
#include "quillard/traffic_log.h"
#include "quillard/transaction.h"
#include "recording_sink.h"
#include "simulated_hid.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A plug-in whose behaviour each test sets: wrap as Corvane does unless told
// otherwise, unwrap copies unless told to claim another length, check returns
// what it is told.
struct PluginScript {
    int wrapResult = 1;
    int forcedFrameLength = -1000;  // -1000: the real length
    int forcedReplyLength = -1000;
    int checkResult = 0;
    int unwrapCalls = 0;
    int checkCalls = 0;
    std::vector<unsigned char> checked;
};
PluginScript g_plugin;

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

int FakeWrap(const char* text, int length, unsigned char* frame, int* frameLength)
{
    int n = 0;
    for (; n < *frameLength && 2 * n + 1 < length; ++n)
        frame[n] =
            static_cast<unsigned char>(HexValue(text[2 * n]) << 4 | HexValue(text[2 * n + 1]));
    *frameLength = g_plugin.forcedFrameLength == -1000 ? n : g_plugin.forcedFrameLength;
    return g_plugin.wrapResult;
}

int FakeUnwrap(const unsigned char* raw, int length, unsigned char* reply, int* replyLength)
{
    ++g_plugin.unwrapCalls;
    std::memcpy(reply, raw, static_cast<std::size_t>(length));
    *replyLength = g_plugin.forcedReplyLength == -1000 ? length : g_plugin.forcedReplyLength;
    return 1;
}

int FakeCheck(const unsigned char* reply, int length)
{
    ++g_plugin.checkCalls;
    g_plugin.checked.assign(reply, reply + length);
    return g_plugin.checkResult;
}

class TransactTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_plugin = PluginScript{};
        engine.SetProtocolApi({FakeWrap, FakeUnwrap, FakeCheck});
        engine.SetCurrentPort(&port);
    }
    int Send(const std::string& text, unsigned long timeout = 500)
    {
        return engine.Transact(text.data(), static_cast<int>(text.size()), timeout);
    }
    // The log with the round-trip figure blanked, which a test cannot know.
    std::vector<std::string> LogWithoutTimes() const
    {
        std::vector<std::string> lines = sink.log;
        for (std::string& line : lines) {
            const auto at = line.find("use ");
            if (at != std::string::npos) line.replace(at + 4, 6, "     T");
        }
        return lines;
    }

    RecordingSink sink;
    FakePort port;
    TransactionEngine engine{sink};
};

const std::string kSep = log_texts::kSeparator;

TEST_F(TransactTest, RefusesWithoutAnOpenPort)
{
    engine.SetCurrentPort(nullptr);
    EXPECT_EQ(Send("0102"), -7);
    port.open = 0;
    engine.SetCurrentPort(&port);
    EXPECT_EQ(Send("0102"), -7);
    EXPECT_THAT(sink.messages, ElementsAre("Ports are not open!", "Ports are not open!"));
    EXPECT_THAT(sink.log, IsEmpty());
    EXPECT_THAT(port.calls, ElementsAre("IsOpen"));
    EXPECT_EQ(engine.LastTransaction().outcome, TransactOutcome::kPortNotOpen);
    EXPECT_FALSE(engine.LastTransaction().roundTrip.has_value());
}

TEST_F(TransactTest, RefusesWithoutEveryPluginEntryPoint)
{
    const ProtocolApi partial[] = {
        {nullptr, FakeUnwrap, FakeCheck},
        {FakeWrap, nullptr, FakeCheck},
        {FakeWrap, FakeUnwrap, nullptr},
    };
    for (const ProtocolApi& api : partial) {
        engine.SetProtocolApi(api);
        EXPECT_EQ(Send("0102"), -8);
        EXPECT_EQ(engine.LastTransaction().outcome, TransactOutcome::kNoProtocol);
    }
    EXPECT_THAT(sink.messages,
                ElementsAre("Protocol library load error!", "Protocol library load error!",
                            "Protocol library load error!"));
    EXPECT_THAT(sink.log, IsEmpty());
}

TEST_F(TransactTest, OutcomesAndTheirLogLines)
{
    struct Case {
        const char* name;
        std::vector<unsigned char> reply;
        int checkResult;
        int forcedReplyLength;
        int result;
        std::string inLine;
        int checkCalls;
        TransactOutcome outcome;
    };
    const Case cases[] = {
        {"valid",
         {0x90, 0x00},
         0,
         -1000,
         0,
         "  IN│ SUCCESS│use      Tms│ 90 00 ",
         1,
         TransactOutcome::kSuccess},
        {"length error",
         {0x90, 0x00},
         2,
         -1000,
         -2,
         "  IN│ LEN ERR│use      Tms│ 90 00 ",
         1,
         TransactOutcome::kLengthError},
        {"bcc error",
         {0xAB},
         3,
         -1000,
         -2,
         "  IN│ BCC ERR│use      Tms│ AB ",
         1,
         TransactOutcome::kBccError},
        {"no definition",
         {0x01, 0x02, 0x03},
         7,
         -1000,
         -2,
         "  IN│  NO DEF│use      Tms│ 01 02 03 ",
         1,
         TransactOutcome::kNoDefinition},
        {"negative check",
         {0x01},
         -1,
         -1000,
         -2,
         "  IN│  NO DEF│use      Tms│ 01 ",
         1,
         TransactOutcome::kNoDefinition},
        {"no reply",
         {},
         0,
         -1000,
         -5,
         "  IN│ NO DATA│use      Tms│ ...",
         0,
         TransactOutcome::kNoData},
        {"unwrap yields nothing",
         {0x55},
         0,
         0,
         -5,
         "  IN│ NO DATA│use      Tms│ ...",
         0,
         TransactOutcome::kNoData},
        {"unwrap claims more",
         {0x55, 0x66},
         0,
         3,
         -5,
         "  IN│ LEN ERR│use      Tms│ ...",
         0,
         TransactOutcome::kLengthError},
        {"unwrap claims negative",
         {0x55},
         0,
         -1,
         -5,
         "  IN│ LEN ERR│use      Tms│ ...",
         0,
         TransactOutcome::kLengthError},
        {"unwrap gives fewer",
         {0x55, 0x66},
         0,
         1,
         0,
         "  IN│ SUCCESS│use      Tms│ 55 ",
         1,
         TransactOutcome::kSuccess},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        sink = RecordingSink{};
        port.reply = c.reply;
        g_plugin.checkResult = c.checkResult;
        g_plugin.forcedReplyLength = c.forcedReplyLength;

        EXPECT_EQ(Send("0102A0FF"), c.result);
        EXPECT_THAT(LogWithoutTimes(),
                    ElementsAre(" OUT│ SUCCESS│            │ 01 02 A0 FF ", c.inLine, kSep));
        EXPECT_EQ(g_plugin.unwrapCalls, c.reply.empty() ? 0 : 1);
        EXPECT_EQ(g_plugin.checkCalls, c.checkCalls);
        EXPECT_THAT(sink.messages, IsEmpty());
        // The engine's record says the same, with the time the IN line shows.
        const TransactRecord& last = engine.LastTransaction();
        EXPECT_EQ(last.outcome, c.outcome);
        ASSERT_TRUE(last.roundTrip.has_value());
        const std::string& in = sink.log[1];
        EXPECT_EQ(std::chrono::floor<std::chrono::milliseconds>(*last.roundTrip).count(),
                  std::stoi(in.substr(in.find("use ") + 4, 6)));
    }
}

TEST_F(TransactTest, CheckJudgesTheUnwrappedReply)
{
    port.reply = {0x90, 0x00, 0x11};
    g_plugin.forcedReplyLength = 2;
    EXPECT_EQ(Send("00"), 0);
    EXPECT_THAT(g_plugin.checked, ElementsAre(0x90, 0x00));
}

TEST_F(TransactTest, UsesThePortInOrder)
{
    port.reply = {0x90, 0x00};
    engine.SetCharTimeout(45);
    EXPECT_EQ(Send("0102", 0), 0);
    EXPECT_THAT(port.calls, ElementsAre("IsOpen", "SetTimeouts(200,45)", "Purge", "Write(2)",
                                        "Read(1024)", "Purge"));
    EXPECT_THAT(port.written, ElementsAre(0x01, 0x02));

    port.calls.clear();
    EXPECT_EQ(Send("0102", 1500), 0);
    EXPECT_EQ(port.calls[1], "SetTimeouts(1500,45)");
}

TEST_F(TransactTest, FailedWriteIsLoggedAndNothingIsRead)
{
    port.writeFails = true;
    EXPECT_EQ(Send("0102"), -6);
    EXPECT_THAT(sink.log, ElementsAre(" OUT│WRIT ERR│            │ 01 02 ", kSep));
    EXPECT_THAT(port.calls, ElementsAre("IsOpen", "SetTimeouts(500,30)", "Purge", "Write(2)"));
    EXPECT_EQ(engine.LastTransaction().outcome, TransactOutcome::kWriteError);

    // An empty frame ends the same way, its data column empty.
    sink.log.clear();
    g_plugin.forcedFrameLength = 0;
    EXPECT_EQ(Send("0102"), -6);
    EXPECT_THAT(sink.log, ElementsAre(" OUT│WRIT ERR│            │ ", kSep));
}

TEST_F(TransactTest, FrameThatCannotBeTrustedIsNeverSent)
{
    struct Case {
        const char* name;
        int wrapResult;
        int forcedFrameLength;
    };
    const Case cases[] = {
        {"wrap failed", 0, -1000},
        {"negative frame length", 1, -1},
        {"frame length above the capacity", 1, 4097},
    };
    port.reply = {0x90, 0x00};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_plugin = PluginScript{};
        EXPECT_EQ(Send("00"), 0);  // a round trip that the refusal must not leave standing
        sink.log.clear();
        g_plugin.wrapResult = c.wrapResult;
        g_plugin.forcedFrameLength = c.forcedFrameLength;
        port.calls.clear();
        EXPECT_EQ(Send("0102"), -3);
        EXPECT_THAT(port.calls, ElementsAre("IsOpen", "SetTimeouts(500,30)"));
        EXPECT_EQ(engine.LastTransaction().outcome, TransactOutcome::kWrapFailed);
        EXPECT_FALSE(engine.LastTransaction().roundTrip.has_value());
        EXPECT_THAT(sink.log, IsEmpty());
    }
    EXPECT_THAT(sink.messages, IsEmpty());
}

TEST_F(TransactTest, CommandTextLongerThanTheWorkBufferIsRefused)
{
    port.reply = {0x01};
    const std::string longest(4096, 'A');
    EXPECT_EQ(Send(longest), 0);
    EXPECT_EQ(port.written.size(), 2048u);

    port.calls.clear();
    EXPECT_EQ(Send(longest + "B"), -3);
    EXPECT_EQ(engine.Transact("00", -1, 0), -3);
    EXPECT_THAT(port.calls, ElementsAre("IsOpen", "IsOpen"));
}

TEST_F(TransactTest, LargestReplyIsRenderedWhole)
{
    port.reply.assign(1024, 0xA5);
    EXPECT_EQ(Send("00"), 0);
    std::string expected = "  IN│ SUCCESS│use      Tms│ ";
    for (int i = 0; i < 1024; ++i)
        expected += "A5 ";
    EXPECT_EQ(LogWithoutTimes()[1], expected);
}

TEST_F(TransactTest, RoundTripCoversTheWaitForTheReply)
{
    port.readDelay = std::chrono::milliseconds(60);
    EXPECT_EQ(Send("00"), -5);
    const std::string& in = sink.log[1];
    const int ms = std::stoi(in.substr(in.find("use ") + 4, 6));
    EXPECT_GE(ms, 60);
    EXPECT_LT(ms, 5000);
    EXPECT_EQ(in.substr(in.find("use "), 12).size(), 12u);  // "use %6dms"
}

// A port that keeps its reply times: the engine records them with the
// transaction; one that does not leaves them empty.
class TimedFakePort : public FakePort, public CxReplyTiming {
public:
    ReplyTimes GetLastReplyTimes() const override { return times; }
    ReplyTimes times;
};

TEST_F(TransactTest, ThePortsReplyTimesAreRecordedWhereItKeepsThem)
{
    port.reply = {0x90, 0x00};
    EXPECT_EQ(Send("01"), 0);
    EXPECT_FALSE(engine.LastTransaction().firstByte);

    TimedFakePort timed;
    timed.reply = {0x90, 0x00};
    timed.times = {std::chrono::milliseconds(3), std::chrono::milliseconds(5)};
    engine.SetCurrentPort(&timed);
    EXPECT_EQ(Send("01"), 0);
    EXPECT_EQ(engine.LastTransaction().firstByte, std::chrono::milliseconds(3));
    EXPECT_EQ(engine.LastTransaction().lastByte, std::chrono::milliseconds(5));
    timed.writeFails = true;  // nothing read: no times of an earlier reply
    EXPECT_EQ(Send("01"), -6);
    EXPECT_FALSE(engine.LastTransaction().firstByte);
    EXPECT_FALSE(engine.LastTransaction().lastByte);
}

TEST(LogTexts, SeparatorIsNinetyThreeCharacters)
{
    const std::string sep = log_texts::kSeparator;
    EXPECT_EQ(CountUtf8Chars(sep), 93u);
    EXPECT_EQ(sep.find("┼"), 2 * std::strlen("─"));
}

TEST(LogTexts, HexRendering)
{
    const unsigned char bytes[] = {0x00, 0x0A, 0xFF, 0x7F};
    char out[3 * 4 + 1];
    EXPECT_EQ(RenderHex(bytes, 4, out), 12u);
    EXPECT_STREQ(out, "00 0A FF 7F ");
    EXPECT_EQ(RenderHex(bytes, 0, out), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(FormatLogLine(log_texts::kInSuccess, "90 00 ", 1234567),
              "  IN│ SUCCESS│use 1234567ms│ 90 00 ");
    EXPECT_EQ(FormatLogLine(log_texts::kInNoData, {}, 7), "  IN│ NO DATA│use      7ms│ ...");
}

}  // namespace

namespace {

// Over a HID reader every successful read delivers the whole 1024 bytes: the
// report's data, then zeros.
TEST_F(TransactTest, OverHidTheReplyIsTheWholeReadLength)
{
    SimulatedHid sim;
    const auto reader = sim.AddReader();
    CxHid hid;
    ASSERT_EQ(hid.Open(reader), 1);
    sim.At(reader).inputReports = {{0x90, 0x00}};
    engine.SetCurrentPort(&hid);

    EXPECT_EQ(Send("0102"), 0);
    std::string expected = "  IN│ SUCCESS│use      Tms│ 90 00 ";
    for (int i = 2; i < 1024; ++i)
        expected += "00 ";
    EXPECT_EQ(LogWithoutTimes()[1], expected);
    ASSERT_EQ(sim.At(reader).outputReports.size(), 1u);
    EXPECT_EQ(sim.At(reader).outputReports[0][1], 0x01);
    EXPECT_EQ(sim.At(reader).outputReports[0][2], 0x02);
}

}  // namespace
