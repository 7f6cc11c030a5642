// A program folder of a test's own: settings and history files, and a
// Protocols folder holding Corvane and the test plug-ins. Its name holds
// Chinese and a space, which the system's code page need not be able to spell.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "quillard/dynamic_library.h"
#include "quillard/path_text.h"
#include "quillard/settings.h"

class TestProgramFolder {
public:
    TestProgramFolder()
    {
        namespace fs = std::filesystem;
        std::random_device random;
        do
            m_path = fs::temp_directory_path() /
                     PathFromText("quillard 读卡器 工具-" + std::to_string(random()));
        while (!fs::create_directory(m_path));
        fs::create_directory(m_path / "Protocols");
        const std::string suffix = kNativeLibrarySuffix;
        for (const char* plugin :
             {"Check2", "Check3", "Check7", "Garbage", "NoUnwrap", "PassThrough"})
            fs::copy_file(std::string(TEST_PLUGIN_DIR) + "/" + plugin + suffix,
                          m_path / "Protocols" / (plugin + suffix));
        fs::copy_file(CORVANE_PATH, m_path / "Protocols" / ("Corvane" + suffix));
        SetAppFolder(TextOfPath(m_path));
    }
    ~TestProgramFolder()
    {
        SetAppFolder("");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TestProgramFolder(const TestProgramFolder&) = delete;
    TestProgramFolder& operator=(const TestProgramFolder&) = delete;

    // `name` may use '/' between folders.
    std::string Path(const std::string& name) const
    {
        return TextOfPath(m_path / PathFromText(name).make_preferred());
    }
    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(m_path / PathFromText(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream file(m_path / PathFromText(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    bool Exists(const std::string& name) const
    {
        return std::filesystem::exists(m_path / PathFromText(name));
    }

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
