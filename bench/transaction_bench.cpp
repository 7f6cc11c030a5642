// The engine's own CPU cost for one transaction: an in-memory port that answers
// at once, and Corvane loaded as the console loads it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "corvane_api.h"
#include "hollet/CxBasePort.h"
#include "quillard/transaction.h"

namespace {

class InstantPort : public CxBasePort {
public:
    explicit InstantPort(std::size_t replyLength) : m_reply(replyLength, 0x5A) {}
    int IsOpen() override { return 1; }
    unsigned long Write(void*, unsigned long length) override { return length; }
    unsigned long Read(void* buffer, unsigned long) override
    {
        std::memcpy(buffer, m_reply.data(), m_reply.size());
        return m_reply.size();
    }
    int SetTimeouts(unsigned long, unsigned long) override { return 1; }
    int Purge() override { return 1; }
    void Close() override {}

private:
    std::vector<unsigned char> m_reply;
};

class DiscardingSink : public TransactionSink {
public:
    void AppendLog(const std::string& line) override { benchmark::DoNotOptimize(line.data()); }
    void ShowMessage(const std::string&) override {}
};

void BM_Transact(benchmark::State& state)
{
    const auto replyLength = static_cast<std::size_t>(state.range(0));
    InstantPort port(replyLength);
    DiscardingSink sink;
    TransactionEngine engine(sink);
    engine.SetProtocolApi(LoadCorvane());
    if (!engine.GetProtocolApi().IsBound()) {
        state.SkipWithError("Corvane did not load");
        return;
    }
    engine.SetCurrentPort(&port);
    const std::string command = "0102030405060708";
    for (auto _ : state) {
        const int result = engine.Transact(command.data(), static_cast<int>(command.size()), 200);
        if (result != 0) state.SkipWithError("transaction failed");
    }
}
BENCHMARK(BM_Transact)->Arg(8)->Arg(1024);

}  // namespace

BENCHMARK_MAIN();
