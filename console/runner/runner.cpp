#include "runner.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <memory>
#include <mutex>
#include <thread>

#include "command_rows.h"
#include "hollet/com_names.h"
#include "interrupt.h"
#include "junit_report.h"
#include "port_list.h"
#include "port_run.h"
#include "quillard/app_files.h"
#include "quillard/path_text.h"
#include "quillard/presence_notices.h"
#include "quillard/protocol_library.h"
#include "run_summary.h"
#include "runner_output.h"

namespace {

// The protocol a run uses: from the catalogue, or a plug-in file.
struct ChosenProtocol {
    const ProtocolEntry* entry = nullptr;
    std::string pluginPath;  // the file to load, as messages show it
    std::string pluginName;  // the name for "Load %s Faild!!!"
    int addrLen = 0;
    bool hexMode = true;
};

// A name of the catalogue, else an index into it; the first without either.
const ProtocolEntry* FindProtocol(const ProtocolCatalogue& catalogue, const std::string& wanted)
{
    if (catalogue.empty()) return nullptr;
    if (wanted.empty()) return catalogue.front().get();
    for (const auto& entry : catalogue) {
        if (entry->szProtocolName == wanted) return entry.get();
    }
    if (wanted.find_first_not_of("0123456789") != std::string::npos || wanted.size() > 9)
        return nullptr;
    const std::size_t index = std::stoul(wanted);
    return index < catalogue.size() ? catalogue[index].get() : nullptr;
}

bool ChooseProtocol(const RunnerOptions& options, const LoadedSettings& settings,
                    ChosenProtocol& chosen)
{
    if (!options.plugin.empty()) {
        chosen = {nullptr, options.plugin, options.plugin, options.addrLen, options.hexMode};
        return true;
    }
    if (settings.fatal) {
        WriteMessageLine(kSettingsError);
        return false;
    }
    chosen.entry = FindProtocol(settings.protocols, options.protocol);
    if (!chosen.entry) {
        WriteMessageLine("quillard-run: " +
                         (options.protocol.empty() ? std::string("no protocol")
                                                   : "no protocol '" + options.protocol + "'") +
                         " in " + LocateAppFile(kSettingsFileName).read);
        return false;
    }
    chosen.pluginPath = ProtocolLibPath(chosen.entry->szDllName);
    chosen.pluginName = chosen.entry->szDllName;
    chosen.addrLen = chosen.entry->nAddrLen;
    chosen.hexMode = chosen.entry->bHexMode != 0;
    return true;
}

std::optional<std::vector<RowTexts>> CollectRows(const RunnerOptions& options,
                                                 const ProtocolEntry* entry)
{
    std::vector<RowTexts> rows;
    std::string error;
    for (const RowSource& source : options.rows) {
        switch (source.kind) {
            case RowSource::Kind::kSend: {
                auto row = ParseRowText(source.text, options.timeout,
                                        "--send '" + source.text + "'", error);
                if (!row) break;
                rows.push_back(std::move(*row));
                continue;
            }
            case RowSource::Kind::kRowsFile: {
                auto fileRows = ReadRowsFile(source.text, options.timeout, error);
                if (!fileRows) break;
                rows.insert(rows.end(), fileRows->begin(), fileRows->end());
                continue;
            }
            case RowSource::Kind::kHistory: {
                const auto history = HistoryRows(*entry, options.timeout);
                if (history.empty()) {
                    error = "no command in the history of " + entry->szProtocolName;
                    break;
                }
                rows.insert(rows.end(), history.begin(), history.end());
                continue;
            }
        }
        WriteMessageLine("quillard-run: " + error);
        return std::nullopt;
    }
    return rows;
}

// Releases the plug-in however the run ends.
struct LoadedPlugin {
    ModuleHandle handle = nullptr;
    ~LoadedPlugin() { FreeProtocolLib(handle); }
};

// 3 when no port opened; 130 after an interrupt; 0 when every port opened and
// every transaction succeeded; else 1.
int ExitCode(const RunReport& report)
{
    const auto opened = [](const PortReport& port) { return port.opened; };
    if (std::none_of(report.ports.begin(), report.ports.end(), opened)) return kExitCannotOpen;
    if (report.interrupted) return kExitInterrupted;
    const auto succeeded = [](const PortReport& port) {
        return port.opened && port.Total().AllSucceeded();
    };
    return std::all_of(report.ports.begin(), report.ports.end(), succeeded) ? kExitAllSucceeded
                                                                            : kExitSomeFailed;
}

// The name of the protocol for the JUnit file: the catalogue's, or the
// plug-in file's.
std::string ProtocolName(const ChosenProtocol& protocol)
{
    if (protocol.entry) return protocol.entry->szProtocolName;
    return TextOfPath(PathFromText(protocol.pluginPath).filename());
}

// The rows of a port that did not send them.
std::vector<RowReport> UnsentRows(const std::vector<RowTexts>& rows)
{
    std::vector<RowReport> unsent;
    for (const RowTexts& row : rows) {
        unsent.push_back({row.given, std::nullopt, {}, std::nullopt, std::nullopt});
        if (row.expect) unsent.back().expected = row.expect->Text();
    }
    return unsent;
}

// A report for ports that never ran: each with `error`.
RunReport Unopened(const RunnerOptions& options, const std::vector<RowTexts>& rows,
                   const std::string& error)
{
    RunReport report;
    for (const RunnerPort& chosen : options.ports)
        report.ports.push_back({PortName(chosen), false, error, UnsentRows(rows)});
    return report;
}

// The summary on stderr and the JUnit file, if asked for; the exit code.
int Finish(const RunnerOptions& options, const RunReport& report, const std::string& protocolName,
           int exitCode)
{
    WriteConsoleText(stderr, options.json ? SummaryJson(report, exitCode) : SummaryText(report));
    if (!options.junit.empty() && !WriteJUnitFile(options.junit, JUnitXml(report, protocolName))) {
        WriteMessageLine("quillard-run: " + options.junit + ": cannot be written");
        if (exitCode == kExitAllSucceeded) exitCode = kExitSomeFailed;
    }
    return exitCode;
}

}  // namespace

int RunTransactions(const RunnerOptions& options)
{
    if (!options.folder.empty()) {
        SetAppFolder(options.folder);
        SetDefaultComPortRoots({.linkFolder = MakeAppFilePath("ComPorts")});
    }
    if (options.list) {
        ListPorts();
        return kExitAllSucceeded;
    }

    const LoadedSettings settings = LoadSettingsFiles(LocateAppFile(kSettingsFileName).read,
                                                      LocateAppFile(kHistoryFileName).read);
    ChosenProtocol protocol;
    if (!ChooseProtocol(options, settings, protocol)) return kExitUsage;
    const int language = options.language.value_or(settings.language);

    auto rowTexts = CollectRows(options, protocol.entry);
    if (!rowTexts) return kExitUsage;
    std::string refused;
    auto loopRows = PrepareRows(*rowTexts, protocol.addrLen, protocol.hexMode, language, refused);
    if (!loopRows) {
        WriteMessageLine(refused);
        return kExitUsage;
    }
    const RunRows rows{std::move(*loopRows), std::move(*rowTexts)};
    const std::string protocolName = ProtocolName(protocol);

    LoadedPlugin plugin;
    const ProtocolLoadReport loadReport{
        [](const std::string& message) { WriteMessageLine(message); }, {}};
    if (!LoadProtocolFile(plugin.handle, protocol.pluginPath, loadReport)) {
        const std::string failed = LoadFailedMessage(protocol.pluginName);
        WriteMessageLine(failed);
        return Finish(options, Unopened(options, rows.texts, failed), protocolName,
                      kExitCannotOpen);
    }

    CatchInterrupts();
    RunLimits limits;
    limits.stopOnError = options.stopOnError;
    if (options.seconds)
        limits.deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(*options.seconds));
    limits.passes = options.passes.value_or(options.seconds ? ULONG_MAX : 1);

    std::mutex pluginLock;
    const bool several = options.ports.size() > 1;
    std::vector<std::unique_ptr<PortRun>> runs;
    for (const RunnerPort& chosen : options.ports) {
        runs.push_back(std::make_unique<PortRun>(
            chosen, options, several ? PortName(chosen) + " " : std::string(), pluginLock));
        runs.back()->Open(language);
    }
    {
        std::vector<std::jthread> workers;
        for (auto& run : runs) {
            if (run->Report().opened)
                workers.emplace_back([&, port = run.get()] { port->Run(rows, limits, language); });
        }
    }  // every worker has ended here

    RunReport report;
    report.interrupted = Interrupted();
    report.expectsReplies = std::any_of(rows.texts.begin(), rows.texts.end(),
                                        [](const RowTexts& row) { return row.expect.has_value(); });
    for (auto& run : runs) {
        run->Close();
        report.ports.push_back(run->Report());
        // a port that never opened still names the rows it did not send
        if (!run->Report().opened) report.ports.back().rows = UnsentRows(rows.texts);
    }
    return Finish(options, report, protocolName, ExitCode(report));
}
