// The traffic log written to a file as it grows, on a thread of its own, so
// that neither the window nor the loop worker ever waits for the disk. Lines
// are written in the order they are handed over, each after its local date
// and time; a line marked as the end of a transaction (the separator) is
// written and flushed to the disk with everything before it, so that a crash
// or a power loss loses at most the transaction under way. A run of
// transactions that failed alike is written as its first one and a line
// "… repeated N times" (RepeatFolder). The first write error ends the
// writing for good and is reported once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quillard/repeat_fold.h"

struct LogFileError {
    enum class Kind {
        kNone,
        kOpen,   // the file could not be created
        kWrite,  // writing or flushing failed (a full disk, an I/O error)
        kGone,   // the file was deleted or moved while it was written
    };
    Kind kind = Kind::kNone;
    std::string reason;  // the system's words, when it gave any
};

class LogFileWriter {
public:
    using WallClock = std::chrono::system_clock;
    // More text than this waiting for the disk makes the caller wait for room.
    static constexpr std::size_t kMaxQueuedBytes = 16 << 20;

    // Creates the file at `path` (UTF-8), emptying one that exists; none, with
    // `error` set, when that fails. `onFailure` is called once, on the
    // writer's thread, when a later write fails.
    static std::unique_ptr<LogFileWriter> Open(const std::string& path,
                                               std::function<void()> onFailure,
                                               LogFileError& error);
    // Writes what has been handed over, then closes the file.
    ~LogFileWriter();
    LogFileWriter(const LogFileWriter&) = delete;
    LogFileWriter& operator=(const LogFileWriter&) = delete;

    // One traffic-log line, written after `stamp` as local time to the
    // millisecond; `endsTransaction` flushes it with all before it.
    void AppendLine(WallClock::time_point stamp, std::string line, bool endsTransaction);
    // Lines ("\n" after each) written as they are, then flushed: a header or
    // a summary. A run of repeated failures before it ends there.
    void AppendBlock(std::string text);
    // The language of the "repeated" lines.
    void SetEnglish(bool english) { m_folder.SetEnglish(english); }

    bool Failed() const { return m_failed.load(); }
    LogFileError Error() const;
    const std::string& Path() const { return m_path; }

private:
    struct Entry {
        std::string text;
        WallClock::time_point stamp;
        bool stamped = false;
        bool flush = false;
    };

    LogFileWriter(std::string path, std::FILE* file, std::function<void()> onFailure);
    void Queue(Entry entry);
    void QueueLines(std::vector<RepeatFolder::Line> lines);
    void Run();
    // False with m_error set at the first failure.
    bool WriteBatch(const std::deque<Entry>& batch);
    const std::string& StampText(WallClock::time_point stamp);

    const std::string m_path;
    std::FILE* m_file;
    RepeatFolder m_folder;  // the callers' side: used before lines are queued
    std::function<void()> m_onFailure;

    mutable std::mutex m_mutex;
    std::condition_variable m_work;  // something to write, or the end
    std::condition_variable m_room;  // the queue has room again
    std::deque<Entry> m_queue;
    std::size_t m_queuedBytes = 0;
    bool m_stop = false;
    std::atomic<bool> m_failed{false};
    LogFileError m_error;

    // The writer thread's own: the stamp text of the last second written.
    long long m_stampSecond = -1;
    std::string m_secondText;
    std::string m_stampText;

    std::thread m_thread;  // last: it starts once everything above exists
};
