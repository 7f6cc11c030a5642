// A transaction sink that keeps the log lines and messages it is given.
#pragma once

#include <string>
#include <vector>

#include "quillard/transaction.h"

class RecordingSink : public TransactionSink {
public:
    void AppendLog(const std::string& line) override { log.push_back(line); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> log;
    std::vector<std::string> messages;
};
