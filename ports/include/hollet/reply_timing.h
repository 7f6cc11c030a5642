// What a port can tell of the timing of its last reply, beside the six
// operations of CxBasePort: the time from the end of the Write before the
// Read to the reply's first byte and to its last byte. A caller that holds a
// CxBasePort asks for it with dynamic_cast; a port that does not offer it
// simply is not one.
#pragma once

#include <chrono>
#include <optional>

struct ReplyTimes {
    // Both are none when the last Read received nothing.
    std::optional<std::chrono::nanoseconds> firstByte;
    std::optional<std::chrono::nanoseconds> lastByte;
};

class CxReplyTiming {
public:
    virtual ~CxReplyTiming() = default;
    // The times of the last Read, as measured by the thread that made it.
    virtual ReplyTimes GetLastReplyTimes() const = 0;
};

// Records the end of a write and the bytes of the read after it.
class ReplyClock {
public:
    using Clock = std::chrono::steady_clock;
    void WriteEnded() { m_writeEnd = Clock::now(); }
    // A read begins: without a write before it, its times count from here.
    void ReadBegins()
    {
        if (!m_writeEnd) m_writeEnd = Clock::now();
        m_times = {};
    }
    // Bytes have come (a first or a later part of the reply).
    void BytesCame()
    {
        const auto since = Clock::now() - *m_writeEnd;
        if (!m_times.firstByte) m_times.firstByte = since;
        m_times.lastByte = since;
    }
    // The read is over: the next one counts from the next write.
    void ReadEnded() { m_writeEnd.reset(); }
    const ReplyTimes& Times() const { return m_times; }

private:
    std::optional<Clock::time_point> m_writeEnd;
    ReplyTimes m_times;
};
