#include "port_run.h"

#include "hollet/CxComm.h"
#include "hollet/CxHid.h"
#include "interrupt.h"
#include "quillard/log_texts.h"
#include "quillard/port_texts.h"
#include "quillard/presence_notices.h"
#include "quillard/protocol_library.h"

namespace {

std::string HexText(std::span<const unsigned char> bytes)
{
    std::string text(bytes.size() * 3, '\0');
    text.resize(RenderHex(bytes.data(), bytes.size(), text.data()));
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// "expected 90 00", after the IN line of a reply that is not.
std::string ExpectedNote(const ExpectedReply& expected, int language)
{
    std::string note = language == 1 ? "expected " : "期望 ";
    return note += expected.Text();
}

}  // namespace

PortRun::PortRun(const RunnerPort& chosen, const RunnerOptions& options, std::string prefix,
                 std::mutex& pluginLock)
    : m_chosen(chosen),
      m_options(options),
      m_sink(std::move(prefix), options.quiet, options.timestamps),
      m_engine(m_sink)
{
    m_engine.SetProtocolApi(LoadedProtocolApi());
    m_engine.SetPluginLock(&pluginLock);
    m_engine.SetCharTimeout(chosen.CharTimeout(options));
    m_report.name = PortName(chosen);
}

PortRun::~PortRun()
{
    Close();
}

bool PortRun::Open(int language)
{
    if (m_chosen.kind == PortChoice::kCom) {
        auto comm = std::make_unique<CxComm>();
        if (comm->Open(m_chosen.number, m_chosen.LineSetting(m_options).c_str())) {
            m_port = std::move(comm);
        } else {
            m_report.error = ComOpenFailedMessage(m_chosen.number);
        }
    } else {
        auto hid = std::make_unique<CxHid>();
        if (hid->Open(m_chosen.number)) {
            m_port = std::move(hid);
        } else {
            m_report.error = HidOpenFailedMessage(m_chosen.number, language);
        }
    }
    m_report.opened = m_port != nullptr;
    if (!m_report.opened) WriteMessageLine(m_report.error);
    m_engine.SetCurrentPort(m_port.get());
    return m_report.opened;
}

void PortRun::Run(const RunRows& rows, const RunLimits& limits, int language)
{
    if (!m_port) return;
    m_report.rows.clear();
    for (const RowTexts& row : rows.texts) {
        RowReport report;
        report.name = row.given;
        if (row.expect) report.expected = row.expect->Text();
        m_report.rows.push_back(std::move(report));
    }
    const auto timeLeft = [&] {
        return (!limits.deadline || std::chrono::steady_clock::now() < *limits.deadline) &&
               !Interrupted();
    };
    unsigned long pass = 0;
    std::size_t index = 0;
    PresenceNotices presence;
    RunLoopPasses(
        m_engine, rows.loop,
        [&] {
            index = 0;
            return pass++ < limits.passes && timeLeft();
        },
        [&](int result) {
            if (!Count(rows, index++, result, limits, language)) return false;
            if (const auto change = presence.TakeChange(*m_port))
                WriteMessageLine(DevicePresenceText(m_chosen.number, *change, language == 1));
            return timeLeft();
        },
        timeLeft);
}

bool PortRun::Count(const RunRows& rows, std::size_t index, int result, const RunLimits& limits,
                    int language)
{
    if (index >= m_report.rows.size()) return false;
    const TransactRecord& record = m_engine.LastTransaction();
    const std::span<const unsigned char> reply = m_engine.LastReply();
    const auto& expect = rows.texts[index].expect;
    const bool mismatch =
        record.outcome == TransactOutcome::kSuccess && expect && !expect->Matches(reply);
    RowReport& row = m_report.rows[index];
    row.summary.Add(record, mismatch);
    if (!reply.empty()) row.lastReply = HexText(reply);
    if ((mismatch || record.outcome != TransactOutcome::kSuccess) && !row.firstFailure) {
        row.firstFailure = FirstFailure{mismatch ? "MISMATCH" : OutcomeName(record.outcome),
                                        std::nullopt, std::nullopt};
        if (!reply.empty()) row.firstFailure->reply = HexText(reply);
        if (mismatch) row.firstFailure->expected = expect->Text();
    }
    m_sink.EndTransaction(mismatch ? ExpectedNote(*expect, language) : std::string());
    const bool failed = mismatch || result != kTransactOk;
    return !(limits.stopOnError && failed);
}

void PortRun::Close()
{
    m_engine.SetCurrentPort(nullptr);
    if (m_port) m_port->Close();
}
