// The simulated reader (quillard-sim-reader) as COM200 of a program folder,
// answering from a table.
#pragma once

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "child_process.h"

class SimReaderProcess {
public:
    // `folder` is the program folder; the reader's link goes into its ComPorts
    // as COM`com`.
    SimReaderProcess(const std::string& folder, const std::string& table, int com = 200)
        : m_com(com), m_reader(Start(folder, table, com))
    {
        m_reader.ReadUntil(
            [](const std::string& out) { return out.find('\n') != std::string::npos; },
            std::chrono::seconds(10));
    }
    ~SimReaderProcess()
    {
        m_reader.Signal(SIGINT);
        m_reader.Finish(std::chrono::seconds(5));
    }

    // Ends at once, as a reader that is pulled out (its link stays).
    void Kill()
    {
        m_reader.Signal(SIGKILL);
        m_reader.Finish(std::chrono::seconds(5));
    }

    bool Started() const
    {
        return m_reader.out.rfind("Simulated reader on COM" + std::to_string(m_com), 0) == 0;
    }
    // The requests it has logged, waiting up to 2 s for `expected` of them.
    std::size_t Requests(std::size_t expected)
    {
        m_reader.ReadUntil([&](const std::string& out) { return Count(out) >= expected; },
                           std::chrono::seconds(2));
        return Count(m_reader.out);
    }

private:
    static std::size_t Count(const std::string& log)
    {
        std::size_t count = 0;
        for (std::size_t at = log.find("\nRX "); at != std::string::npos;
             at = log.find("\nRX ", at + 1))
            ++count;
        return count;
    }
    static ChildProcess Start(const std::string& folder, const std::string& table, int com)
    {
        const std::string links = folder + "/ComPorts";
        std::filesystem::create_directories(links);
        const std::string tableFile = folder + "/reader" + std::to_string(com) + ".table";
        std::ofstream(tableFile) << table;
        return ChildProcess({SIM_READER_PATH, "--com", std::to_string(com), "--links", links,
                             "--quiet", "1", "--table", tableFile});
    }

    int m_com;
    ChildProcess m_reader;
};
