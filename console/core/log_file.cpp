#include "quillard/log_file.h"

#include <cerrno>
#include <system_error>

#include "log_file_platform.h"
#include "quillard/local_time.h"

namespace {

std::string SystemReason(int error)
{
    return error ? std::error_code(error, std::generic_category()).message() : std::string();
}

}  // namespace

std::unique_ptr<LogFileWriter> LogFileWriter::Open(const std::string& path,
                                                   std::function<void()> onFailure,
                                                   LogFileError& error)
{
    errno = 0;
    std::FILE* file = CreateLogFile(path);
    if (!file) {
        error = {LogFileError::Kind::kOpen, SystemReason(errno)};
        return nullptr;
    }
    error = {};
    return std::unique_ptr<LogFileWriter>(new LogFileWriter(path, file, std::move(onFailure)));
}

LogFileWriter::LogFileWriter(std::string path, std::FILE* file, std::function<void()> onFailure)
    : m_path(std::move(path)), m_file(file), m_onFailure(std::move(onFailure))
{
    m_thread = std::thread([this] { Run(); });
}

LogFileWriter::~LogFileWriter()
{
    QueueLines(m_folder.Flush());
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_work.notify_all();
    m_thread.join();
    std::fclose(m_file);
}

void LogFileWriter::AppendLine(WallClock::time_point stamp, std::string line, bool endsTransaction)
{
    QueueLines(m_folder.Take({stamp, std::move(line), endsTransaction}));
}

void LogFileWriter::AppendBlock(std::string text)
{
    QueueLines(m_folder.Flush());
    Queue({std::move(text), {}, false, true});
}

void LogFileWriter::QueueLines(std::vector<RepeatFolder::Line> lines)
{
    for (RepeatFolder::Line& line : lines)
        Queue({std::move(line.text), line.stamp, true, line.endsTransaction});
}

void LogFileWriter::Queue(Entry entry)
{
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [this] { return m_queuedBytes < kMaxQueuedBytes || m_failed; });
    if (m_failed) return;  // the writing has ended
    const bool wasEmpty = m_queue.empty();
    m_queuedBytes += entry.text.size();
    m_queue.push_back(std::move(entry));
    lock.unlock();
    if (wasEmpty) m_work.notify_one();
}

LogFileError LogFileWriter::Error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

void LogFileWriter::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty()) break;  // stopped, with everything written
        std::deque<Entry> batch;
        batch.swap(m_queue);
        m_queuedBytes = 0;
        m_room.notify_all();
        lock.unlock();
        const bool written = WriteBatch(batch);
        lock.lock();
        if (!written) {
            m_failed = true;
            m_queue.clear();
            m_room.notify_all();
            break;
        }
    }
    const bool failed = m_failed;
    lock.unlock();
    if (failed && m_onFailure) m_onFailure();
}

bool LogFileWriter::WriteBatch(const std::deque<Entry>& batch)
{
    std::string text;
    bool flush = false;
    for (const Entry& entry : batch) {
        if (entry.stamped) text += StampText(entry.stamp) + " ";
        text += entry.text;
        if (entry.stamped) text += "\n";
        flush = flush || entry.flush;
    }
    const std::string bytes = LogFileText(text);
    errno = 0;
    const auto fail = [this](LogFileError::Kind kind) {
        std::lock_guard lock(m_mutex);
        m_error = {kind, kind == LogFileError::Kind::kGone ? std::string() : SystemReason(errno)};
        return false;
    };
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        return fail(LogFileError::Kind::kWrite);
    if (!flush) return true;
    if (std::fflush(m_file) != 0 || !SyncLogFile(m_file)) return fail(LogFileError::Kind::kWrite);
    if (!LogFileStillAtPath(m_file, m_path)) return fail(LogFileError::Kind::kGone);
    return true;
}

// The date and time change once a second; only the milliseconds change more often.
const std::string& LogFileWriter::StampText(WallClock::time_point stamp)
{
    const auto second = std::chrono::floor<std::chrono::seconds>(stamp);
    if (second.time_since_epoch().count() != m_stampSecond) {
        m_stampSecond = second.time_since_epoch().count();
        m_secondText = LocalTimeTextSeconds(second);
    }
    m_stampText = m_secondText + MillisecondSuffix(stamp);
    return m_stampText;
}
