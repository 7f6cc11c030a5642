#include "quillard/loop_pass.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fake_port.h"
#include "recording_sink.h"

namespace {

using ::testing::ElementsAre;

int CopyWrap(const char* text, int length, unsigned char* frame, int* frameLength)
{
    std::memcpy(frame, text, static_cast<std::size_t>(length));
    *frameLength = length;
    return 1;
}
int CopyUnwrap(const unsigned char* raw, int length, unsigned char* reply, int* replyLength)
{
    std::memcpy(reply, raw, static_cast<std::size_t>(length));
    *replyLength = length;
    return 1;
}
int Accept(const unsigned char*, int)
{
    return 0;
}

struct LoopPassTest : ::testing::Test {
    LoopPassTest()
    {
        engine.SetProtocolApi({CopyWrap, CopyUnwrap, Accept});
        engine.SetCurrentPort(&port);
        port.reply = {0x90, 0x00};
    }
    // The first byte of each frame written, in order.
    std::vector<char> Sent() const
    {
        std::vector<char> sent;
        for (const std::string& call : port.calls) {
            if (call.rfind("SetTimeouts(", 0) == 0) sent.push_back(call[12]);
        }
        return sent;
    }

    RecordingSink sink;
    FakePort port;
    TransactionEngine engine{sink};
    const std::vector<LoopRow> rows = {{"A", 1}, {"B", 2}, {"C", 3}};
};

TEST_F(LoopPassTest, RowsGoInOrderAndOnlyAClosedPortEndsAPassEarly)
{
    std::vector<int> results;
    EXPECT_EQ(RunLoopPass(engine, rows,
                          [&](int result) {
                              results.push_back(result);
                              if (results.size() == 1) port.open = 0;  // the reader goes away
                              return true;
                          }),
              LoopPassEnd::kPortNotOpen);
    EXPECT_THAT(results, ElementsAre(kTransactOk, kTransactPortNotOpen));

    port.open = 1;
    port.reply.clear();  // failures go on with the next row
    results.clear();
    EXPECT_EQ(RunLoopPass(engine, rows,
                          [&](int result) {
                              results.push_back(result);
                              return true;
                          }),
              LoopPassEnd::kCompleted);
    EXPECT_THAT(results, ElementsAre(kTransactNoData, kTransactNoData, kTransactNoData));
    EXPECT_THAT(Sent(), ElementsAre('1', '1', '2', '3'));  // each row's own time-out
}

TEST_F(LoopPassTest, PassesGoOnUntilToldOrUntilAPassIsStopped)
{
    int passes = 0;
    RunLoopPasses(engine, rows, [&] { return passes++ < 2; });
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(Sent().size(), 6u);

    // a port that is not open ends each pass, not the loop
    port.open = 0;
    passes = 0;
    int transactions = 0;
    RunLoopPasses(
        engine, rows, [&] { return passes++ < 4; },
        [&](int) {
            ++transactions;
            return true;
        });
    EXPECT_EQ(transactions, 4);

    port.open = 1;
    passes = 0;
    transactions = 0;
    RunLoopPasses(
        engine, rows, [&] { return ++passes < 100; }, [&](int) { return ++transactions < 5; });
    EXPECT_EQ(transactions, 5);
    EXPECT_EQ(passes, 2);
}

}  // namespace
