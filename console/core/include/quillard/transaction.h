// The transaction engine: one command through the plug-in and the current port,
// timed, with its lines in the traffic log.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "quillard/protocol_api.h"

class CxBasePort;

// Where a transaction's log lines and messages go: the window, or a test.
class TransactionSink {
public:
    virtual ~TransactionSink() = default;
    virtual void AppendLog(const std::string& line) = 0;
    // A modal message with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
};

// Results of Transact.
enum TransactResult : int {
    kTransactOk = 0,
    kTransactCheckFailed = -2,
    kTransactWrapFailed = -3,  // also: a command text the work buffer cannot hold
    kTransactNoData = -5,      // no reply, or a reply longer than the bytes read
    kTransactWriteFailed = -6,
    kTransactPortNotOpen = -7,
    kTransactNoProtocol = -8,
};

// How a transaction ended: the status of its last log line, or why nothing
// was logged.
enum class TransactOutcome {
    kNone,  // no transaction yet
    kSuccess,
    kNoData,
    kLengthError,  // check result 2, or a reply longer than the bytes read
    kBccError,
    kNoDefinition,  // any other non-zero check result
    kWriteError,
    kPortNotOpen,
    kNoProtocol,
    kWrapFailed,
};

struct TransactRecord {
    TransactRecord() = default;
    TransactRecord(TransactOutcome outcome_, std::optional<std::chrono::nanoseconds> roundTrip_,
                   std::optional<std::chrono::nanoseconds> firstByte_ = std::nullopt,
                   std::optional<std::chrono::nanoseconds> lastByte_ = std::nullopt)
        : outcome(outcome_), roundTrip(roundTrip_), firstByte(firstByte_), lastByte(lastByte_)
    {
    }

    TransactOutcome outcome = TransactOutcome::kNone;
    // From the start stamp to the end stamp, as the IN line's time but not cut
    // to whole milliseconds; none when nothing was read (no IN line).
    std::optional<std::chrono::nanoseconds> roundTrip;
    // From the end of the write to the first and to the last reply byte, as a
    // port that keeps such times measured them; none without a reply or from
    // a port that does not.
    std::optional<std::chrono::nanoseconds> firstByte;
    std::optional<std::chrono::nanoseconds> lastByte;
};

class TransactionEngine {
public:
    static constexpr std::size_t kBufferSize = 4096;  // work buffer, frame buffer
    static constexpr unsigned long kReadLength = 1024;
    static constexpr unsigned long kDefaultReplyTimeout = 200;  // for a row time-out of 0
    static constexpr unsigned long kDefaultCharTimeout = 30;

    explicit TransactionEngine(TransactionSink& sink) : m_sink(sink) {}

    // Sends `length` characters of command text and logs the outcome; returns a
    // TransactResult. `replyTimeout` is the row's time-out in ms, 0 meaning 200.
    int Transact(const char* text, int length, unsigned long replyTimeout);

    // The open port every transaction uses, or none.
    void SetCurrentPort(CxBasePort* port) { m_pCurPort.store(port); }
    CxBasePort* GetCurrentPort() const { return m_pCurPort.load(); }

    void SetProtocolApi(const ProtocolApi& api) { m_api = api; }
    const ProtocolApi& GetProtocolApi() const { return m_api; }

    // The last transaction's outcome and round trip; read it on the thread that
    // called Transact.
    const TransactRecord& LastTransaction() const { return m_last; }
    // The last transaction's reply as the plug-in unwrapped it; empty when it
    // read none (or one the plug-in claimed to be longer than the bytes read).
    std::span<const unsigned char> LastReply() const
    {
        return {m_work, static_cast<std::size_t>(m_nLastReplyLength)};
    }

    // A lock every call into the plug-in holds, for engines on several threads
    // sharing one plug-in: plug-ins are written for one caller at a time.
    void SetPluginLock(std::mutex* lock) { m_pPluginLock = lock; }

    // The silence that ends a reply, in ms.
    void SetCharTimeout(unsigned long ms) { m_nCharTimeout.store(ms); }
    unsigned long GetCharTimeout() const { return m_nCharTimeout.load(); }

private:
    // Logs `format` (an IN line) and the separator, and returns `result`.
    int FinishIn(const char* format, int milliseconds, TransactOutcome outcome, int result);
    // Records an outcome without a round trip and returns `result`.
    int Finish(TransactOutcome outcome, int result);

    TransactionSink& m_sink;
    std::atomic<CxBasePort*> m_pCurPort{nullptr};
    ProtocolApi m_api;
    std::atomic<unsigned long> m_nCharTimeout{kDefaultCharTimeout};
    TransactRecord m_last;
    int m_nLastReplyLength = 0;
    std::mutex* m_pPluginLock = nullptr;

    unsigned char m_work[kBufferSize];       // the command text, then the unwrapped reply
    char m_szHex[3 * kBufferSize + 1] = {};  // the rendering of the frame, then of the reply
};
