// The command line of quillard-run.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class PortChoice { kCom, kHid };

struct RunnerOptions;

// One port of a run; each runs the rows on a worker of its own.
struct RunnerPort {
    PortChoice kind = PortChoice::kCom;
    unsigned long number = 0;  // the COM number, or the HID reader's index
    // Its own line setting and character time-out, given after it; else the
    // run's.
    std::optional<std::string> lineSetting;
    std::optional<unsigned long> charTimeout;

    std::string LineSetting(const RunnerOptions& options) const;
    unsigned long CharTimeout(const RunnerOptions& options) const;
};

// "COM3", or "HID0" for the HID reader at index 0.
std::string PortName(const RunnerPort& port);

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

    std::vector<RunnerPort> ports;            // in the order given
    std::string lineSetting = "19200,n,8,1";  // blanks removed; for ports without their own
    unsigned long charTimeout = 30;           // likewise

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
    std::string junit;            // the JUnit XML file to write at the end, if any
    std::optional<int> language;  // --lang: 1 English, 0 Chinese
};

struct ParsedOptions {
    RunnerOptions options;
    std::string error;  // not empty: the command line cannot be used
};

ParsedOptions ParseRunnerOptions(std::span<const std::string_view> args);

std::string UsageText();

inline std::string RunnerPort::LineSetting(const RunnerOptions& options) const
{
    return lineSetting.value_or(options.lineSetting);
}

inline unsigned long RunnerPort::CharTimeout(const RunnerOptions& options) const
{
    return charTimeout.value_or(options.charTimeout);
}
