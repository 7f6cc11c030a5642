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

// Writes one whole line to `stream` at once: lines that several ports write
// at the same time never run into each other.
void WriteWholeLine(std::FILE* stream, const std::string& line);

// Each log line reaches the reader of stdout at once, so that an OUT line
// stands there while its reply is awaited, as in the window. With several
// ports every line starts with the port's name. A transaction's separator
// waits for the end of the transaction, so that a note on its reply comes
// before it.
class RunnerSink : public TransactionSink {
public:
    RunnerSink(std::string prefix, bool quiet, bool timestamps)
        : m_prefix(std::move(prefix)), m_bQuiet(quiet), m_bTimestamps(timestamps)
    {
    }

    void AppendLog(const std::string& line) override;
    void ShowMessage(const std::string& text) override;
    // The end of a transaction: `note` (if not empty), then its separator.
    void EndTransaction(const std::string& note);

private:
    void Write(const std::string& line);

    std::string m_prefix;  // "COM3 ", or nothing
    bool m_bQuiet;
    bool m_bTimestamps;
    bool m_bSeparatorHeld = false;
};

// "2024-05-01 12:34:56.789 ": the local time, to the millisecond.
std::string LocalTimestamp();
