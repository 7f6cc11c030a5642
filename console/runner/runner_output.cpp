#include "runner_output.h"

#include <chrono>
#include <ctime>

void WriteMessageLine(std::string_view text)
{
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    line += '\n';
    WriteConsoleText(stderr, line);
}

void RunnerSink::AppendLog(const std::string& line)
{
    if (m_bQuiet) return;
    WriteConsoleText(stdout, (m_bTimestamps ? LocalTimestamp() : std::string()) + line + "\n");
    std::fflush(stdout);
}

std::string LocalTimestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    char text[40] = {};
    // one thread writes the log, so the C library's shared result is safe here
    const std::size_t length =
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&seconds));
    std::snprintf(text + length, sizeof text - length, ".%03d ", static_cast<int>(ms));
    return text;
}
