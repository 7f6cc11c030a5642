// Where quillard-run writes: the traffic-log lines on stdout, messages and the
// summary on stderr, in this system's console encoding.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "quillard/transaction.h"

// Writes UTF-8 text to `stream` as this system's console takes it (one file per
// system: UTF-8 here, the console's own characters or GBK on Windows).
void WriteConsoleText(std::FILE* stream, std::string_view utf8);
// The program's arguments as UTF-8, whatever code page the system gave them in.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// A message or an error: one line on stderr (a trailing line feed of the text
// is not doubled).
void WriteMessageLine(std::string_view text);

// Each log line reaches the reader of stdout at once, so that an OUT line
// stands there while its reply is awaited, as in the window.
class RunnerSink : public TransactionSink {
public:
    RunnerSink(bool quiet, bool timestamps) : m_bQuiet(quiet), m_bTimestamps(timestamps) {}

    void AppendLog(const std::string& line) override;
    void ShowMessage(const std::string& text) override { WriteMessageLine(text); }

private:
    bool m_bQuiet;
    bool m_bTimestamps;
};

// "2024-05-01 12:34:56.789 ": the local time, to the millisecond.
std::string LocalTimestamp();
