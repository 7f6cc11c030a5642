#include "runner_output.h"

#include <chrono>
#include <ctime>
#include <mutex>

#include "quillard/log_texts.h"

namespace {

std::mutex g_outputLock;

}  // namespace

void WriteWholeLine(std::FILE* stream, const std::string& line)
{
    const std::lock_guard<std::mutex> hold(g_outputLock);
    WriteConsoleText(stream, line);
    std::fflush(stream);
}

void WriteMessageLine(std::string_view text)
{
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    line += '\n';
    WriteWholeLine(stderr, line);
}

void RunnerSink::AppendLog(const std::string& line)
{
    if (m_bQuiet) return;
    if (m_bSeparatorHeld) {
        m_bSeparatorHeld = false;
        Write(log_texts::kSeparator);
    }
    if (line == log_texts::kSeparator) {
        m_bSeparatorHeld = true;
        return;
    }
    Write(line);
}

void RunnerSink::ShowMessage(const std::string& text)
{
    WriteMessageLine(m_prefix + text);
}

void RunnerSink::EndTransaction(const std::string& note)
{
    if (m_bQuiet) return;
    if (!note.empty()) Write(note);
    if (m_bSeparatorHeld) {
        m_bSeparatorHeld = false;
        Write(log_texts::kSeparator);
    }
}

void RunnerSink::Write(const std::string& line)
{
    WriteWholeLine(stdout,
                   m_prefix + (m_bTimestamps ? LocalTimestamp() : std::string()) + line + "\n");
}

std::string LocalTimestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    char text[40] = {};
    std::tm local{};
    {
        // the C library's shared result, read by one port at a time
        static std::mutex lock;
        const std::lock_guard<std::mutex> hold(lock);
        local = *std::localtime(&seconds);
    }
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, ".%03d ", static_cast<int>(ms));
    return text;
}
