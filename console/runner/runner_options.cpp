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

    RunnerOptions& o;
};

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
                                          "--for",    "--lang"};
    if (std::find(std::begin(kValued), std::end(kValued), name) == std::end(kValued))
        return "unknown option '" + std::string(name) + "'";
    if (!value) return std::string(name) + " needs a value";
    usedValue = true;
    const std::string_view v = *value;
    if (name == "--com" || name == "--hid") {
        const bool com = name == "--com";
        if (o.port != PortChoice::kNone && (o.port == PortChoice::kCom) != com)
            return "--com and --hid cannot go together";
        // the number as the window reads its port box or its HID reader box
        if (!DigitsAfterLeading(v, com ? "COM" : "Vemra HIDDevice ID: "))
            return std::string(name) + ": '" + std::string(v) +
                   (com ? "' is no COM port (give N or COMn)" : "' is no HID reader index");
        o.port = com ? PortChoice::kCom : PortChoice::kHid;
        (com ? o.comNumber : o.hidIndex) = com ? ComNumberFromText(v) : HidIndexFromEntry(v);
    } else if (name == "--settings") {
        o.lineSetting = LineSettingWithoutBlanks(v);
        // A setting the port cannot read is the command line's fault, told
        // before any port is touched.
        CommState parsed;
        if (!BuildCommState(o.lineSetting.c_str(), parsed))
            return "--settings: '" + std::string(v) +
                   "' is no line setting (give all four fields, such as \"19200,n,8,1\")";
    } else if (name == "--char-timeout") {
        return Unsigned(name, v, o.charTimeout, 1, 100000);
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
    if (o.port == PortChoice::kNone) return "no port: give --com N, --hid INDEX or --list";
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

PORT
  --com N|COMn           the serial port COMn
  --settings TEXT        its line setting (default "19200,n,8,1")
  --char-timeout MS      the silence that ends a reply, 1-100000 (default 30)
  --hid INDEX            the HID reader at this interface index
  --list                 print the COM ports (with their devices) and HID readers

PROTOCOL (default: the first protocol of the settings file)
  --folder DIR           the program folder: Vemra_Test.ini, History.ini,
                         Protocols/ and ComPorts/ (default: the program's own)
  --protocol NAME|INDEX  a protocol of the settings file
  --plugin FILE          a plug-in file instead, with
    --addr-len N         its address length in bytes (default 0: no address)
    --text               text commands (default: hexadecimal)

COMMANDS (repeatable, sent in the order given)
  --send [ADDR:]CMD[@MS] one row: address, command, reply time-out in ms
  --rows FILE            one row a line, as --send (blank and # lines skipped)
  --history              the protocol's rows from History.ini
  --timeout MS           the reply time-out of rows without @MS (default 200;
                         0 means 200)

RUN
  --loop N               N passes over the rows (default 1)
  --for SECONDS          passes until this time is up
  --stop-on-error        stop at the first transaction that does not succeed

OUTPUT
  --timestamps           the local time before each log line
  --quiet                no log lines, only the summary
  --json                 the summary as one JSON object (the last line on stderr)
  --lang en|cn           the language of the row checks' messages (default:
                         the settings file's)
  --help, --version

The traffic-log lines go to stdout, messages and the summary to stderr.
Exit codes: 0 every transaction succeeded; 1 some did not; 2 bad command line,
row or settings file; 3 the port or the plug-in could not be opened;
130 interrupted (Ctrl+C: the transaction under way ends first).
)";
}
