#include "quillard/transaction.h"

#include <chrono>
#include <cstring>
#include <string_view>

#include "hollet/CxBasePort.h"
#include "hollet/reply_timing.h"
#include "quillard/log_texts.h"

namespace {

// Whole milliseconds between two stamps of a monotonic clock, so that a reply
// around midnight or across a clock change is still timed right.
int ElapsedMilliseconds(std::chrono::steady_clock::time_point start,
                        std::chrono::steady_clock::time_point end)
{
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count());
}

// Holds the plug-in lock, if there is one, while it lives.
std::unique_lock<std::mutex> HoldPluginLock(std::mutex* lock)
{
    return lock ? std::unique_lock<std::mutex>(*lock) : std::unique_lock<std::mutex>();
}

}  // namespace

int TransactionEngine::FinishIn(const char* format, int milliseconds, TransactOutcome outcome,
                                int result)
{
    m_last.outcome = outcome;
    m_sink.AppendLog(FormatLogLine(format, m_szHex, milliseconds));
    m_sink.AppendLog(log_texts::kSeparator);
    return result;
}

int TransactionEngine::Finish(TransactOutcome outcome, int result)
{
    m_nLastReplyLength = 0;
    m_last = {outcome, std::nullopt, std::nullopt, std::nullopt};
    return result;
}

int TransactionEngine::Transact(const char* text, int length, unsigned long replyTimeout)
{
    CxBasePort* port = m_pCurPort.load();
    if (!port || !port->IsOpen()) {
        Finish(TransactOutcome::kPortNotOpen, kTransactPortNotOpen);
        m_sink.ShowMessage(log_texts::kPortsNotOpen);
        return kTransactPortNotOpen;
    }
    const ProtocolApi api = m_api;
    m_nLastReplyLength = 0;
    if (!api.IsBound()) {
        Finish(TransactOutcome::kNoProtocol, kTransactNoProtocol);
        m_sink.ShowMessage(log_texts::kProtocolLoadError);
        return kTransactNoProtocol;
    }
    // A text the work buffer cannot hold is refused before anything is sent,
    // as a frame that could not be built.
    if (length < 0 || static_cast<std::size_t>(length) > kBufferSize || (length > 0 && !text))
        return Finish(TransactOutcome::kWrapFailed, kTransactWrapFailed);
    if (length > 0) std::memcpy(m_work, text, static_cast<std::size_t>(length));

    port->SetTimeouts(replyTimeout == 0 ? kDefaultReplyTimeout : replyTimeout,
                      m_nCharTimeout.load());

    unsigned char frame[kBufferSize];
    int frameLength = static_cast<int>(kBufferSize);
    bool wrapped = false;
    {
        const auto plugin = HoldPluginLock(m_pPluginLock);
        wrapped =
            api.PCToReader(reinterpret_cast<const char*>(m_work), length, frame, &frameLength);
    }
    if (!wrapped) return Finish(TransactOutcome::kWrapFailed, kTransactWrapFailed);
    // A plug-in that claims a frame it cannot have written is not trusted with
    // the port.
    if (frameLength < 0 || static_cast<std::size_t>(frameLength) > kBufferSize)
        return Finish(TransactOutcome::kWrapFailed, kTransactWrapFailed);

    const std::size_t hexLength = RenderHex(frame, static_cast<std::size_t>(frameLength), m_szHex);
    std::string outLine =
        FormatLogLine(log_texts::kOutSuccess, std::string_view(m_szHex, hexLength));

    port->Purge();
    const auto start = std::chrono::steady_clock::now();

    if (port->Write(frame, static_cast<unsigned long>(frameLength)) == 0) {
        Finish(TransactOutcome::kWriteError, kTransactWriteFailed);
        m_sink.AppendLog(
            FormatLogLine(log_texts::kOutWriteError, std::string_view(m_szHex, hexLength)));
        m_sink.AppendLog(log_texts::kSeparator);
        return kTransactWriteFailed;
    }
    m_sink.AppendLog(outLine);

    int replyLength = 0;
    unsigned long count = port->Read(frame, kReadLength);
    if (count > kReadLength) count = kReadLength;  // a port never delivers more than asked
    if (count > 0) {
        const auto plugin = HoldPluginLock(m_pPluginLock);
        api.ReaderToPC(frame, static_cast<int>(count), m_work, &replyLength);
    }

    port->Purge();
    const auto end = std::chrono::steady_clock::now();
    const int milliseconds = ElapsedMilliseconds(start, end);
    m_last = {TransactOutcome::kNone,
              std::chrono::duration_cast<std::chrono::nanoseconds>(end - start), std::nullopt,
              std::nullopt};
    // The reader's own timing, where the port keeps it.
    if (const auto* timing = dynamic_cast<const CxReplyTiming*>(port)) {
        const ReplyTimes times = timing->GetLastReplyTimes();
        m_last.firstByte = times.firstByte;
        m_last.lastByte = times.lastByte;
    }

    using Outcome = TransactOutcome;
    if (replyLength == 0)
        return FinishIn(log_texts::kInNoData, milliseconds, Outcome::kNoData, kTransactNoData);
    // A reply longer than the bytes read, or of a negative length, is not shown.
    if (replyLength < 0 || static_cast<unsigned long>(replyLength) > count)
        return FinishIn(log_texts::kInLengthErrorNoData, milliseconds, Outcome::kLengthError,
                        kTransactNoData);

    RenderHex(m_work, static_cast<std::size_t>(replyLength), m_szHex);
    int checked = 0;
    {
        const auto plugin = HoldPluginLock(m_pPluginLock);
        checked = api.CheckData(m_work, replyLength);
    }
    m_nLastReplyLength = replyLength;
    switch (checked) {
        case TLX_CHECK_OK:
            return FinishIn(log_texts::kInSuccess, milliseconds, Outcome::kSuccess, kTransactOk);
        case TLX_CHECK_LENGTH_ERROR:
            return FinishIn(log_texts::kInLengthError, milliseconds, Outcome::kLengthError,
                            kTransactCheckFailed);
        case TLX_CHECK_BCC_ERROR:
            return FinishIn(log_texts::kInBccError, milliseconds, Outcome::kBccError,
                            kTransactCheckFailed);
        default:
            return FinishIn(log_texts::kInNoDefinition, milliseconds, Outcome::kNoDefinition,
                            kTransactCheckFailed);
    }
}
