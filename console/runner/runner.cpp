#include "runner.h"

#include <chrono>
#include <climits>

#include "command_rows.h"
#include "hollet/com_names.h"
#include "interrupt.h"
#include "quillard/app_files.h"
#include "quillard/presence_notices.h"
#include "quillard/protocol_library.h"
#include "run_summary.h"
#include "runner_output.h"
#include "runner_ports.h"

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

int ExitCode(const RunSummary& summary, bool interrupted)
{
    if (interrupted) return kExitInterrupted;
    return summary.AllSucceeded() ? kExitAllSucceeded : kExitSomeFailed;
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

    const auto rowTexts = CollectRows(options, protocol.entry);
    if (!rowTexts) return kExitUsage;
    std::string refused;
    const auto rows = PrepareRows(*rowTexts, protocol.addrLen, protocol.hexMode, language, refused);
    if (!rows) {
        WriteMessageLine(refused);
        return kExitUsage;
    }

    LoadedPlugin plugin;
    const ProtocolLoadReport report{[](const std::string& message) { WriteMessageLine(message); },
                                    {}};
    if (!LoadProtocolFile(plugin.handle, protocol.pluginPath, report)) {
        WriteMessageLine(LoadFailedMessage(protocol.pluginName));
        return kExitCannotOpen;
    }

    RunnerSink sink(options.quiet, options.timestamps);
    TransactionEngine engine(sink);
    engine.SetProtocolApi(LoadedProtocolApi());
    engine.SetCharTimeout(options.charTimeout);
    CxComm comm;
    CxHid hid;
    CxBasePort* port = OpenChosenPort(options, language, comm, hid);
    if (!port) return kExitCannotOpen;
    engine.SetCurrentPort(port);

    CatchInterrupts();
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        options.seconds
            ? std::optional(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                               std::chrono::duration<double>(*options.seconds)))
            : std::nullopt;
    const unsigned long passes = options.passes.value_or(options.seconds ? ULONG_MAX : 1);
    const auto timeLeft = [&] { return !deadline || Clock::now() < *deadline; };
    RunSummary summary;
    PresenceNotices presence;
    unsigned long pass = 0;
    RunLoopPasses(
        engine, *rows, [&] { return pass++ < passes && timeLeft() && !Interrupted(); },
        [&](int result) {
            summary.Add(engine.LastTransaction());
            if (const auto change = presence.TakeChange(*port))
                WriteMessageLine(DevicePresenceText(options.comNumber, *change, language == 1));
            if (options.stopOnError && result != kTransactOk) return false;
            return timeLeft() && !Interrupted();
        },
        [&] { return timeLeft() && !Interrupted(); });

    const bool interrupted = Interrupted();
    const int exitCode = ExitCode(summary, interrupted);
    WriteConsoleText(stderr, options.json ? SummaryJson(summary, interrupted, exitCode)
                                          : SummaryText(summary, interrupted));
    port->Close();
    return exitCode;
}
