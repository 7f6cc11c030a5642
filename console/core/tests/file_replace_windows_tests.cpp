// A file that another program holds open without delete sharing (an editor,
// a virus scanner, a second Quillard) is replaced once it lets go, if that is
// within about a second; held longer, the replace fails and the file is as it
// was.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "program_folder.h"
#include "quillard/file_replace.h"

namespace {

using namespace std::chrono_literals;

// Holds `path` open as a program does that shares only reading.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : m_file(CreateFileW(PathFromText(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_file;
};

TEST(FileReplace, AFileHeldOpenIsWaitedForAboutASecond)
{
    const struct Case {
        const char* name;
        std::chrono::milliseconds heldFor;
        bool replaced;
    } cases[] = {
        {"let go after 300 ms", 300ms, true},
        {"held for 4 s", 4000ms, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestProgramFolder folder;
        folder.Write("History.ini", "old\r\n");
        const std::string path = folder.Path("History.ini");
        HeldFile held(path);
        ASSERT_TRUE(held.Held());
        std::thread release([&] {
            std::this_thread::sleep_for(c.heldFor);
            held.Release();
        });
        const auto start = std::chrono::steady_clock::now();
        const bool replaced = ReplaceFileContents(path, "new\r\n");
        const auto took = std::chrono::steady_clock::now() - start;
        release.join();
        EXPECT_EQ(replaced, c.replaced);
        EXPECT_EQ(folder.Read("History.ini"), c.replaced ? "new\r\n" : "old\r\n");
        if (c.replaced) {
            EXPECT_GE(took, c.heldFor - 50ms);
        } else {
            // about a second, then the failure: not the 4 s the file was held
            EXPECT_GE(took, 900ms);
            EXPECT_LT(took, 3500ms);
        }
        // History.ini and Protocols/: no temporary file left
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(PathFromText(folder.Path("."))))
            names.push_back(TextOfPath(item.path().filename()));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"History.ini", "Protocols"}));
    }
}

}  // namespace
