// The console program started as a user starts it, in a program folder of the
// test's own (the program, libHollet.so, Protocols/Corvane.so, the sample
// settings), on Qt's offscreen platform: what was typed is saved when the
// session ends, and where the files go when the folder is read-only.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>

#include "child_process.h"
#include "quillard/settings.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uid_t kNobody = 65534;

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The ten rows of the sample's first protocol, row 1 holding `command`.
std::string SavedRows(const std::string& command)
{
    std::string rows = "[szProtocolName0]\r\nCMD0=" + command + "\r\n";
    for (int j = 1; j < 10; ++j)
        rows += "CMD" + std::to_string(j) + "=\r\n";
    return rows;
}

// Every file under `folder` with its bytes.
std::map<std::string, std::string> Contents(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(folder))
        files[fs::relative(item.path(), folder).string()] =
            item.is_regular_file() ? ReadFile(item.path()) : std::string("(folder)");
    return files;
}

class ConsoleProgram : public ::testing::Test {
protected:
    ConsoleProgram()
    {
        std::random_device random;
        do
            m_top = fs::temp_directory_path() / ("quillard-program-" + std::to_string(random()));
        while (!fs::create_directory(m_top));
        fs::permissions(m_top, fs::perms::all);
        fs::create_directories(Program() / "Protocols");
        fs::copy_file(TYPING_CONSOLE_PATH, Program() / "Quillard");
        fs::copy_file(HOLLET_PATH, Program() / fs::path(HOLLET_PATH).filename());
        fs::copy_file(CORVANE_PATH, Program() / "Protocols" / fs::path(CORVANE_PATH).filename());
        fs::copy_file(SAMPLE_SETTINGS_PATH, Program() / kSettingsFileName);
        for (const char* folder : {"home", "config"}) {
            fs::create_directory(m_top / folder);
            fs::permissions(m_top / folder, fs::perms::all);
        }
        // Qt's runtime folder, one for each user the program runs as, its alone.
        for (const char* folder : {"runtime", "runtime-user"}) {
            fs::create_directory(m_top / folder);
            fs::permissions(m_top / folder, fs::perms::owner_all);
        }
        if (geteuid() == 0 && chown((m_top / "runtime-user").c_str(), kNobody, kNobody) != 0)
            ADD_FAILURE() << "cannot give the runtime folder to nobody";
    }
    ~ConsoleProgram() override
    {
        std::error_code ignored;
        fs::permissions(Program(), fs::perms::all, ignored);
        fs::remove_all(m_top, ignored);
    }

    // A name with Chinese and a space, as users' folders have.
    fs::path Program() const { return m_top / "读卡器 工具"; }
    fs::path UserFolder() const { return m_top / "config" / "quillard"; }

    // The program, typing `command`, as this user or (`asUser`) as one
    // without privileges, with a home and a configuration folder of its own.
    std::vector<std::string> Command(const std::string& command, bool box, bool asUser) const
    {
        const bool otherUser = asUser && geteuid() == 0;
        std::vector<std::string> argv;
        if (otherUser)
            argv = {"/usr/bin/setpriv", "--reuid=" + std::to_string(kNobody),
                    "--regid=" + std::to_string(kNobody), "--clear-groups"};
        argv.insert(
            argv.end(),
            {"/usr/bin/env", "QT_QPA_PLATFORM=offscreen", "HOME=" + (m_top / "home").string(),
             "XDG_CONFIG_HOME=" + (m_top / "config").string(),
             "XDG_RUNTIME_DIR=" + (m_top / (asUser ? "runtime-user" : "runtime")).string()});
        const auto options = otherUser ? ReadableTsanOptions() : std::nullopt;
        if (options) argv.push_back(*options);
        argv.insert(argv.end(), {(Program() / "Quillard").string(), command});
        if (box) argv.push_back("--box");
        return argv;
    }

private:
    // A ThreadSanitizer build's options name a suppressions file in the source
    // tree, which another user may not be able to read: they get a copy.
    std::optional<std::string> ReadableTsanOptions() const
    {
        const char* options = std::getenv("TSAN_OPTIONS");
        const std::string key = "suppressions=";
        const std::string text = options ? options : "";
        const auto at = text.find(key);
        if (at == std::string::npos) return std::nullopt;
        const auto end = text.find(' ', at);
        const std::string file = text.substr(at + key.size(), end - at - key.size());
        std::error_code ignored;
        fs::copy_file(file, m_top / "tsan.supp", fs::copy_options::overwrite_existing, ignored);
        fs::permissions(m_top / "tsan.supp", fs::perms::owner_read | fs::perms::others_read,
                        fs::perm_options::add, ignored);
        return "TSAN_OPTIONS=" + text.substr(0, at + key.size()) + (m_top / "tsan.supp").string() +
               (end == std::string::npos ? "" : text.substr(end));
    }

    fs::path m_top;
};

}  // namespace

// The session ends while the window runs: the row typed is in the history,
// the file whole, and the program ends as after a close.
TEST_F(ConsoleProgram, TheSessionsEndSavesWhatWasTyped)
{
    const struct {
        const char* name;
        std::vector<int> signals;
        bool box;  // a message box open on top of the window
    } cases[] = {
        {"SIGTERM", {SIGTERM}, false},
        {"SIGHUP", {SIGHUP}, false},
        {"SIGINT (Ctrl+C in the terminal it was started from)", {SIGINT}, false},
        {"a second SIGTERM during the save", {SIGTERM, SIGTERM, SIGTERM}, false},
        {"SIGTERM with a box on top", {SIGTERM}, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string command = "0A0" + std::to_string(n++);
        fs::remove(Program() / kHistoryFileName);
        ChildProcess program(Command(command, c.box, false));
        ASSERT_TRUE(program.ReadUntil(
            [](const std::string& out) { return out.find("typed") != std::string::npos; }, 20s))
            << program.err;
        for (int signal : c.signals)
            program.Signal(signal);
        EXPECT_EQ(program.Finish(20s), 0) << program.err;
        EXPECT_EQ(ReadFile(Program() / kHistoryFileName), SavedRows(command));
        std::vector<std::string> left;
        for (const auto& item : fs::directory_iterator(Program()))
            if (item.path().filename().string().starts_with(".")) left.push_back(item.path());
        EXPECT_TRUE(left.empty()) << left.front();
    }
}

// A user who may not write the program folder: the history goes into
// $XDG_CONFIG_HOME/quillard, a folder of the user's alone, and the program
// folder stays as it was. A second run reads the user's history.
TEST_F(ConsoleProgram, AReadOnlyProgramFolderLeavesTheFilesToTheUser)
{
    fs::permissions(Program(), fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
    const auto before = Contents(Program());
    for (const char* command : {"00A4", "80CA"}) {
        SCOPED_TRACE(command);
        ChildProcess program(Command(command, false, true));
        ASSERT_TRUE(program.ReadUntil(
            [](const std::string& out) { return out.find("typed") != std::string::npos; }, 20s))
            << program.err;
        program.Signal(SIGTERM);
        EXPECT_EQ(program.Finish(20s), 0) << program.err;
        EXPECT_EQ(Contents(Program()), before);
    }
    // The second run read the first one's row and typed after it.
    EXPECT_EQ(ReadFile(UserFolder() / kHistoryFileName), SavedRows("00A480CA"));
    EXPECT_FALSE(fs::exists(UserFolder() / kSettingsFileName));  // the language did not change
    struct stat folder {};
    ASSERT_EQ(stat(UserFolder().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
}
