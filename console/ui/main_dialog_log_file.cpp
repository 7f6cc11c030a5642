// The traffic log written to a file: started and stopped from the window's
// menu, every line of AppendLog after its time, the worker's lines in the
// order of the log. The writing happens on the file's own thread; the window
// thread only hands the lines over. The log's wipe and Clear leave the file
// alone.
#include "hollet/com_names.h"
#include "language_texts.h"
#include "main_dialog.h"
#include "quillard/log_file_texts.h"
#include "quillard/log_texts.h"
#include "quillard/port_texts.h"
#include "quillard/traffic_log.h"

void MainDialog::OnLogFile()
{
    if (m_logFile) {
        StopLogFile();
        return;
    }
    const std::string suggested = LogFileDefaultName(std::chrono::system_clock::now());
    const std::optional<std::string> path =
        m_fileNameChooser ? m_fileNameChooser(suggested)
                          : m_window->GetSaveFileName(
                                InLanguage(m_nLanguage, "记录到文件", "Log to File"), suggested);
    if (!path || path->empty()) return;
    LogFileError error;
    // A failure is told on the window thread, where the writing is ended.
    m_logFile = LogFileWriter::Open(
        *path, [this] { m_window->Wake(); }, error);
    if (!m_logFile) {
        MessageBox(LogFileErrorMessage(error, *path, InEnglish()));
        return;
    }
    m_logFile->AppendBlock(LogFileHeaderBlock());
    ApplyLoopToolTexts();
}

void MainDialog::StopLogFile()
{
    m_logFile.reset();  // what was handed over is written first
    ApplyLoopToolTexts();
}

// The first write error ends the file logging, with one message; the loop
// goes on. The writer's thread wakes the window for it.
void MainDialog::EndFailedLogFile()
{
    if (!m_logFile || !m_logFile->Failed()) return;
    const LogFileError error = m_logFile->Error();
    const std::string path = m_logFile->Path();
    StopLogFile();
    MessageBox(LogFileErrorMessage(error, path, InEnglish()));
}

// A failed file takes no more lines; its message comes through OnWake, never
// from inside the worker's calls (which may run while the worker is joined).
void MainDialog::LogToFile(std::chrono::system_clock::time_point stamp, std::string line)
{
    if (!m_logFile || m_logFile->Failed()) return;
    const bool endsTransaction = line == log_texts::kSeparator;
    m_logFile->AppendLine(stamp, std::move(line), endsTransaction);
}

void MainDialog::NotePortPresence()
{
    CxBasePort* port = m_engine.GetCurrentPort();
    if (!port) return;
    const auto change = m_presenceNotices.TakeChange(*port);
    if (!change) return;
    const auto stamp = std::chrono::system_clock::now();
    const unsigned long comNumber = m_comm.GetPort();
    m_calls.Post([this, stamp, comNumber, presence = *change] {
        LogToFile(stamp, DevicePresenceText(comNumber, presence, InEnglish()));
    });
}

// The port as it is open: the COM port with its device and line setting, or
// the HID reader's device.
std::string MainDialog::LogFileHeaderBlock()
{
    LogFileHeader header;
    header.started = std::chrono::system_clock::now();
    const CxBasePort* port = m_engine.GetCurrentPort();
    if (port == &m_comm) {
        const std::string name = "\\\\.\\COM" + std::to_string(m_comm.GetPort());
        header.port = ComListEntryText(name, ResolveComDevice(m_comm.GetPort())) + ", " +
                      m_window->GetItemText(1060);
    } else if (port == &m_hid) {
        char name[CxHid::kNameSize] = {};
        m_hid.GetDevName(name);
        header.port = std::string("HID ") + name;
    }
    header.charTimeout = m_engine.GetCharTimeout();
    if (m_pCurProtocol) {
        header.protocol = m_pCurProtocol->szProtocolName;
        header.pluginFile = m_pCurProtocol->szDllName;
    }
    return LogFileHeaderText(header, InEnglish());
}

// Lines of the worker are carried out on the window thread, in order, with
// the time they were made.
void MainDialog::AppendLog(const std::string& line)
{
    const auto stamp = std::chrono::system_clock::now();
    if (OnWindowThread()) {
        FlushLogBatch();
        ::AppendLog(Log(), line);
        LogToFile(stamp, line);
        return;
    }
    m_calls.Post([this, line, stamp]() mutable {
        m_logBatch.push_back(line);
        if (m_logBatch.size() >= kMostLinesPerAppend) FlushLogBatch();
        LogToFile(stamp, std::move(line));
    });
}

void MainDialog::FlushLogBatch()
{
    if (m_logBatch.empty()) return;
    AppendLogLines(Log(), m_logBatch);
    m_logBatch.clear();
}
