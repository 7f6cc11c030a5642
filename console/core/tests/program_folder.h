// A program folder of a test's own: settings and history files, and a
// Protocols folder holding Corvane and the test plug-ins.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "quillard/settings.h"

class TestProgramFolder {
public:
    TestProgramFolder()
    {
        char pattern[] = "/tmp/quillard-folder-XXXXXX";
        m_path = mkdtemp(pattern);
        std::filesystem::create_directory(m_path / "Protocols");
        for (const char* plugin : {"Check3", "Check7", "Garbage", "NoUnwrap", "PassThrough"})
            std::filesystem::create_symlink(std::string(TEST_PLUGIN_DIR) + "/" + plugin + ".so",
                                            m_path / "Protocols" / (std::string(plugin) + ".so"));
        std::filesystem::create_symlink(CORVANE_PATH, m_path / "Protocols" / "Corvane.so");
        SetAppFolder(m_path.string());
    }
    ~TestProgramFolder()
    {
        SetAppFolder("");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TestProgramFolder(const TestProgramFolder&) = delete;
    TestProgramFolder& operator=(const TestProgramFolder&) = delete;

    std::string Path(const std::string& name) const { return (m_path / name).string(); }
    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(m_path / name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream file(m_path / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(m_path / name); }

private:
    std::filesystem::path m_path;
};

// Two protocols on Corvane: one without address, one with a one-byte address.
inline const char* const kTwoProtocols =
    "[Setting]\n"
    "szLanguage=EN\n"
    "nProtocolCount=2\n"
    "szProtocolName0=Direct\n"
    "szProtocolName1=Bus\n"
    "\n"
    "[szProtocolName0]\n"
    "szDllName=Corvane.dll\n"
    "nAddrLen=0\n"
    "bHexMode=TRUE\n"
    "nDevCount=2\n"
    "szDevName0=Reader A\n"
    "szDevName1=Reader B\n"
    "\n"
    "[szProtocolName1]\n"
    "szDllName=Corvane.dll\n"
    "nAddrLen=1\n"
    "bHexMode=TRUE\n"
    "nDevCount=1\n"
    "szDevName0=Reader C\n";
