// The rows quillard-run sends: from the command line, a rows file or the
// protocol's history, each checked as a send row of the window is.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "expected_reply.h"
#include "quillard/loop_pass.h"
#include "quillard/row_parser.h"
#include "quillard/settings.h"

// A row's texts as typed, and where it came from (for messages).
struct RowTexts {
    std::string address;
    std::string command;
    unsigned long timeout = 0;
    std::string origin;
    std::optional<ExpectedReply> expect;  // the reply it must get, if any
    std::string given;                    // the row as the user wrote it
};

// "[ADDR:]CMD[@MS][=>REPLY]": the expected reply follows the last "=>", the
// time-out the last '@' before it, and the address ends at the first ':' (so
// a command holding '@' or ':' gives both, and one holding "=>" ends with
// "=>*"). Empty with `error` set when the time-out is no number or the reply
// no pattern.
std::optional<RowTexts> ParseRowText(std::string_view text, unsigned long defaultTimeout,
                                     std::string origin, std::string& error);

// The rows of a file, one a line; blank lines and lines starting with '#'
// are passed over.
std::optional<std::vector<RowTexts>> ReadRowsFile(const std::string& path,
                                                  unsigned long defaultTimeout, std::string& error);

// The protocol's ten rows from the history, those with a command.
std::vector<RowTexts> HistoryRows(const ProtocolEntry& entry, unsigned long defaultTimeout);

// The command text a row sends: its texts checked and joined as the window's
// row parser does. The one place where the command text is made.
RowParseResult PrepareCommandText(const RowTexts& row, int addrLen, bool hexMode,
                                  std::string& prepared);

// The rows ready for the loop (in the order of `rows`), or the message of the first that is refused
// (in `language`: 1 English, else Chinese) with where it came from.
std::optional<std::vector<LoopRow>> PrepareRows(const std::vector<RowTexts>& rows, int addrLen,
                                                bool hexMode, int language, std::string& message);
