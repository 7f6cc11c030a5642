// The command line of quillard-run.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class PortChoice { kNone, kCom, kHid };

// Where the commands come from, in the order the command line gives them.
struct RowSource {
    enum class Kind { kSend, kRowsFile, kHistory };
    Kind kind;
    std::string text;  // the row ("ADDR:CMD@TIMEOUT") or the file's path
};

struct RunnerOptions {
    bool help = false;
    bool version = false;
    bool list = false;

    PortChoice port = PortChoice::kNone;
    unsigned long comNumber = 0;
    unsigned long hidIndex = 0;
    std::string lineSetting = "19200,n,8,1";  // blanks removed
    unsigned long charTimeout = 30;

    std::string folder;    // empty: the program's own
    std::string protocol;  // a name or an index of the catalogue; empty: the first
    std::string plugin;    // a plug-in file, in place of a protocol
    int addrLen = 0;       // with --plugin
    bool hexMode = true;   // with --plugin

    std::vector<RowSource> rows;
    unsigned long timeout = 200;  // the reply time-out of rows without "@MS"

    std::optional<unsigned long> passes;  // --loop
    std::optional<double> seconds;        // --for
    bool stopOnError = false;

    bool timestamps = false;
    bool quiet = false;
    bool json = false;
    std::optional<int> language;  // --lang: 1 English, 0 Chinese
};

struct ParsedOptions {
    RunnerOptions options;
    std::string error;  // not empty: the command line cannot be used
};

ParsedOptions ParseRunnerOptions(std::span<const std::string_view> args);

std::string UsageText();
