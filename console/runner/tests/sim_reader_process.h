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
    // `folder` is the program folder; the reader's link goes into its ComPorts.
    SimReaderProcess(const std::string& folder, const std::string& table)
        : m_reader(Start(folder, table))
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

    bool Started() const { return m_reader.out.rfind("Simulated reader on COM200", 0) == 0; }
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
    static ChildProcess Start(const std::string& folder, const std::string& table)
    {
        const std::string links = folder + "/ComPorts";
        std::filesystem::create_directories(links);
        std::ofstream(folder + "/reader.table") << table;
        return ChildProcess({SIM_READER_PATH, "--com", "200", "--links", links, "--quiet", "1",
                             "--table", folder + "/reader.table"});
    }

    ChildProcess m_reader;
};
