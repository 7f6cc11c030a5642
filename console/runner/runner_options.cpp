#include "runner_options.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "hollet/port_types.h"
#include "quillard/field_parse.h"
#include "quillard/port_texts.h"

namespace {

// Digits alone, after leading characters that occur in `skipped` ("COM12").
bool DigitsAfterLeading(std::string_view text, std::string_view skipped)
{
    const std::size_t start = text.find_first_not_of(skipped);
    if (start == std::string_view::npos) return false;
    return text.find_first_not_of("0123456789", start) == std::string_view::npos;
}

class Parser {
public:
    explicit Parser(RunnerOptions& options) : o(options) {}

    // "" when the option is taken, else why not.
    std::string Take(std::string_view name, std::optional<std::string_view> value, bool& usedValue);

private:
    std::string Unsigned(std::string_view name, std::string_view text, unsigned long& out,
                         unsigned long low = 0, unsigned long high = 0xFFFFFFFFul)
    {
        const auto value = ParseUnsignedField(text);
        if (!value) return std::string(name) + ": " + kNotUnsignedMessage;
        if (*value < low || *value > high)
            return std::string(name) + ": " + RangeMessage(low, high);
        out = *value;
        return {};
    }

    // "--com N", "--com COMn", "--com N-M" (a range), "--hid INDEX".
    std::string TakePorts(std::string_view name, std::string_view value);

    RunnerOptions& o;
    // The first port of the last --com or --hid: the ports that a line
    // setting or character time-out given after it are for.
    std::size_t m_nLastPortsStart = 0;
};

// The most ports one run takes.
constexpr unsigned long kMostPorts = 256;

std::string Parser::TakePorts(std::string_view name, std::string_view v)
{
    const bool com = name == "--com";
    // the number as the window reads its port box or its HID reader box
    const std::string_view lead = com ? "COM" : "Vemra HIDDevice ID: ";
    std::string_view first = v, last = v;
    if (const std::size_t dash = v.find('-'); com && dash != std::string_view::npos) {
        first = v.substr(0, dash);
        last = v.substr(dash + 1);
    }
    if (!DigitsAfterLeading(first, lead) || !DigitsAfterLeading(last, lead))
        return std::string(name) + ": '" + std::string(v) +
               (com ? "' is no COM port (give N, COMn or a range N-M)"
                    : "' is no HID reader index");
    const unsigned long low = com ? ComNumberFromText(first) : HidIndexFromEntry(first);
    const unsigned long high = com ? ComNumberFromText(last) : low;
    m_nLastPortsStart = o.ports.size();
    if (high < low || high - low >= kMostPorts)
        return std::string(name) + ": '" + std::string(v) + "' is no range of at most " +
               std::to_string(kMostPorts) + " ports";
    for (unsigned long number = low;; ++number) {
        const RunnerPort port{com ? PortChoice::kCom : PortChoice::kHid, number, {}, {}};
        const auto same = [&](const RunnerPort& other) {
            return other.kind == port.kind && other.number == port.number;
        };
        if (std::any_of(o.ports.begin(), o.ports.end(), same))
            return PortName(port) + " is given twice";
        if (o.ports.size() >= kMostPorts)
            return std::string("more than ") + std::to_string(kMostPorts) + " ports";
        o.ports.push_back(port);
        if (number == high) break;
    }
    return {};
}

// Options without a value, and what each does.
using FlagAction = void (*)(RunnerOptions&);
const std::map<std::string_view, FlagAction> kFlags = {
    {"--help", [](RunnerOptions& o) { o.help = true; }},
    {"-h", [](RunnerOptions& o) { o.help = true; }},
    {"--version", [](RunnerOptions& o) { o.version = true; }},
    {"--list", [](RunnerOptions& o) { o.list = true; }},
    {"--stop-on-error", [](RunnerOptions& o) { o.stopOnError = true; }},
    {"--timestamps", [](RunnerOptions& o) { o.timestamps = true; }},
    {"--quiet", [](RunnerOptions& o) { o.quiet = true; }},
    {"--json", [](RunnerOptions& o) { o.json = true; }},
    {"--text", [](RunnerOptions& o) { o.hexMode = false; }},
    {"--history",
     [](RunnerOptions& o) {
         o.rows.push_back({RowSource::Kind::kHistory, {}});
     }},
};

std::string Parser::Take(std::string_view name, std::optional<std::string_view> value,
                         bool& usedValue)
{
    usedValue = false;
    if (const auto flag = kFlags.find(name); flag != kFlags.end()) {
        if (value) return std::string(name) + " takes no value";
        flag->second(o);
        return {};
    }
    static const char* const kValued[] = {"--com",    "--settings", "--char-timeout", "--hid",
                                          "--folder", "--protocol", "--plugin",       "--addr-len",
                                          "--send",   "--rows",     "--timeout",      "--loop",
                                          "--for",    "--lang",     "--junit"};
    if (std::find(std::begin(kValued), std::end(kValued), name) == std::end(kValued))
        return "unknown option '" + std::string(name) + "'";
    if (!value) return std::string(name) + " needs a value";
    usedValue = true;
    const std::string_view v = *value;
    if (name == "--com" || name == "--hid") {
        return TakePorts(name, v);
    } else if (name == "--settings") {
        const std::string setting = LineSettingWithoutBlanks(v);
        // A setting the port cannot read is the command line's fault, told
        // before any port is touched.
        CommState parsed;
        if (!BuildCommState(setting.c_str(), parsed))
            return "--settings: '" + std::string(v) +
                   "' is no line setting (give all four fields, such as \"19200,n,8,1\")";
        if (o.ports.empty()) o.lineSetting = setting;
        for (std::size_t i = m_nLastPortsStart; i < o.ports.size(); ++i)
            o.ports[i].lineSetting = setting;
    } else if (name == "--char-timeout") {
        unsigned long interval = 0;
        if (auto error = Unsigned(name, v, interval, 1, 100000); !error.empty()) return error;
        if (o.ports.empty()) o.charTimeout = interval;
        for (std::size_t i = m_nLastPortsStart; i < o.ports.size(); ++i)
            o.ports[i].charTimeout = interval;
    } else if (name == "--folder") {
        o.folder = v;
    } else if (name == "--protocol") {
        o.protocol = v;
    } else if (name == "--plugin") {
        o.plugin = v;
    } else if (name == "--addr-len") {
        unsigned long length = 0;
        if (auto error = Unsigned(name, v, length, 0, 2048); !error.empty()) return error;
        o.addrLen = static_cast<int>(length);
    } else if (name == "--send") {
        o.rows.push_back({RowSource::Kind::kSend, std::string(v)});
    } else if (name == "--rows") {
        o.rows.push_back({RowSource::Kind::kRowsFile, std::string(v)});
    } else if (name == "--timeout") {
        return Unsigned(name, v, o.timeout);
    } else if (name == "--loop") {
        unsigned long passes = 0;
        if (auto error = Unsigned(name, v, passes, 1); !error.empty()) return error;
        o.passes = passes;
    } else if (name == "--for") {
        char* end = nullptr;
        const std::string text(v);
        const double seconds = std::strtod(text.c_str(), &end);
        if (text.empty() || *end || !std::isfinite(seconds) || seconds <= 0)
            return "--for: '" + text + "' is no positive number of seconds";
        o.seconds = seconds;
    } else if (name == "--junit") {
        if (v.empty()) return "--junit needs a file";
        o.junit = v;
    } else if (name == "--lang") {
        if (v == "en" || v == "EN")
            o.language = 1;
        else if (v == "cn" || v == "CN")
            o.language = 0;
        else
            return "--lang: give en or cn";
    }
    return {};
}

// Options that cannot be used together, or a run with something missing.
std::string CheckCombination(const RunnerOptions& o, bool addrLenGiven)
{
    if (o.help || o.version || o.list) return {};
    if (o.ports.empty()) return "no port: give --com N, --hid INDEX or --list";
    if (!o.plugin.empty() && !o.protocol.empty())
        return "--protocol and --plugin cannot go together";
    if (o.plugin.empty() && (addrLenGiven || !o.hexMode))
        return "--addr-len and --text go with --plugin (a protocol brings its own)";
    const bool history = std::any_of(o.rows.begin(), o.rows.end(), [](const RowSource& row) {
        return row.kind == RowSource::Kind::kHistory;
    });
    if (history && !o.plugin.empty()) return "--history needs a protocol, not --plugin";
    if (o.rows.empty()) return "nothing to send: give --send, --rows or --history";
    return {};
}

}  // namespace

std::string PortName(const RunnerPort& port)
{
    std::string name = port.kind == PortChoice::kCom ? "COM" : "HID";
    return name += std::to_string(port.number);
}

ParsedOptions ParseRunnerOptions(std::span<const std::string_view> args)
{
    ParsedOptions parsed;
    Parser parser(parsed.options);
    bool addrLenGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> value;
        const bool joined = name.starts_with("--") && name.find('=') != std::string_view::npos;
        if (joined) {
            value = name.substr(name.find('=') + 1);
            name = name.substr(0, name.find('='));
        } else if (i + 1 < args.size()) {
            value = args[i + 1];
        }
        bool usedValue = false;
        // a flag followed by another argument: that argument is not its value
        const bool flag = kFlags.count(name) > 0;
        parsed.error = parser.Take(name, joined || !flag ? value : std::nullopt, usedValue);
        if (!parsed.error.empty()) return parsed;
        if (name == "--addr-len") addrLenGiven = true;
        if (usedValue && !joined) ++i;
    }
    parsed.error = CheckCombination(parsed.options, addrLenGiven);
    return parsed;
}

std::string UsageText()
{
    return R"(usage: quillard-run PORT [PROTOCOL] COMMANDS [RUN] [OUTPUT]
       quillard-run --list [--folder DIR]

Sends commands to a reader the way the Quillard console does: through a
protocol plug-in, over a serial port or a HID reader, with the console's
time-out rules and traffic-log lines.

PORT (repeatable: every port runs the rows at the same time, on its own)
  --com N|COMn|N-M       the serial port COMn, or the ports COMN to COMM
  --settings TEXT        the line setting (default "19200,n,8,1")
  --char-timeout MS      the silence that ends a reply, 1-100000 (default 30)
  --hid INDEX            the HID reader at this interface index
  --list                 print the COM ports (with their devices) and HID readers
  --settings and --char-timeout given after a --com or --hid are the own of its
  port (or range of ports); given before any port, they are every port's that
  has none of its own.

PROTOCOL (default: the first protocol of the settings file)
  --folder DIR           the program folder: Vemra_Test.ini, History.ini,
                         Protocols/ and ComPorts/ (default: the program's own)
  --protocol NAME|INDEX  a protocol of the settings file
  --plugin FILE          a plug-in file instead, with
    --addr-len N         its address length in bytes (default 0: no address)
    --text               text commands (default: hexadecimal)

COMMANDS (repeatable, sent in the order given)
  --send [ADDR:]CMD[@MS][=>REPLY]
                         one row: address, command, reply time-out in ms, and
                         the reply it must get: hexadecimal bytes, ?? for any
                         byte, a last * for any rest (=>90 00, =>61??, =>6F*);
                         a reply that differs counts as MISMATCH
  --rows FILE            one row a line, as --send (blank and # lines skipped)
  --history              the protocol's rows from History.ini
  --timeout MS           the reply time-out of rows without @MS (default 200;
                         0 means 200)

RUN
  --loop N               N passes over the rows (default 1)
  --for SECONDS          passes until this time is up
  --stop-on-error        stop a port at its first transaction that does not
                         succeed (a mismatch too)

OUTPUT
  --timestamps           the local time before each log line
  --quiet                no log lines, only the summary
  --json                 the summary as one JSON object (the last line on stderr)
  --junit FILE           write the results as JUnit XML when the run ends: a
                         test suite per port, a test case per row
  --lang en|cn           the language of the row checks' messages (default:
                         the settings file's)
  --help, --version

The traffic-log lines go to stdout (with several ports, each after its port's
name), messages and the summary to stderr.
Exit codes: 0 every transaction succeeded; 1 some did not (or did not get the
reply they expect), or a port of several could not be opened; 2 bad command
line, row or settings file; 3 the plug-in or every port could not be opened;
130 interrupted (Ctrl+C: each port's transaction under way ends first).
)";
}
