// The user's folder and a program folder that a user cannot write, as the
// system itself decides it: run as an unprivileged user (root's writes pass
// every permission).
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "app_folders.h"
#include "program_folder.h"
#include "quillard/app_files.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// Runs `check` as a user without privileges: in a child as nobody when this
// is root. Its result: 0 when every part held, else the failed parts' bits.
int AsUnprivilegedUser(const std::function<int()>& check)
{
    if (geteuid() != 0) return check();
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(128);
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

// Sets an environment variable for one scope, or removes it (null).
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace

TEST(UserAppFolder, FollowsTheXdgBaseDirectories)
{
    const struct {
        const char* configHome;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/cfg", "/home/u", "/cfg/quillard"},
        {"/cfg/", "/home/u", "/cfg/quillard"},
        {"relative/cfg", "/home/u", "/home/u/.config/quillard"},  // not absolute: passed over
        {"", "/home/u", "/home/u/.config/quillard"},
        {nullptr, "/home/u", "/home/u/.config/quillard"},
    };
    for (const auto& c : cases) {
        const ScopedVariable configHome("XDG_CONFIG_HOME", c.configHome);
        const ScopedVariable home("HOME", c.home);
        EXPECT_EQ(UserAppFolder(), c.folder) << (c.configHome ? c.configHome : "(unset)");
    }
    // Without HOME, the account's home folder.
    const ScopedVariable configHome("XDG_CONFIG_HOME", nullptr);
    const ScopedVariable home("HOME", nullptr);
    EXPECT_TRUE(UserAppFolder().ends_with("/.config/quillard")) << UserAppFolder();
}

// A user runs the program from a folder they may not write: the language goes
// into $XDG_CONFIG_HOME/quillard, made for the purpose, and the program folder
// stays as it was; from a folder they may write, it goes beside the program.
TEST(UserAppFolder, AReadOnlyProgramFolderSendsTheFilesToTheUsersFolder)
{
    TestProgramFolder top;
    fs::permissions(top.Path(""), fs::perms::others_exec | fs::perms::group_exec,
                    fs::perm_options::add);
    const struct {
        const char* name;
        fs::perms programMode;
        bool installedForAllUsers;
        bool toUser;
    } cases[] = {
        {"read-only",
         fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
         false, true},
        {"writable by all", fs::perms::all, false, false},
        {"writable, but installed for all users", fs::perms::all, true, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = top.Path("program" + std::to_string(n));
        const std::string config = top.Path("config" + std::to_string(n++));
        fs::create_directory(folder);
        std::ofstream(folder + "/" + kSettingsFileName, std::ios::binary) << kTwoProtocols;
        if (c.installedForAllUsers) std::ofstream(folder + "/" + kInstalledForAllUsersMark);
        fs::create_directory(config);
        fs::permissions(config, fs::perms::all);
        fs::permissions(folder, c.programMode);
        const std::string configHome = config + "/xdg";  // made by the first write
        const ScopedVariable xdg("XDG_CONFIG_HOME", configHome.c_str());

        const int failed = AsUnprivilegedUser([&] {
            SetAppFolder(folder);
            const AppFileFolders folders = CurrentAppFileFolders();
            SaveLanguage(LocateAppFile(kSettingsFileName), 0);
            SetAppFolder("");
            return (folders.programWritable == c.toUser ? 1 : 0) |
                   (folders.user != (c.toUser ? configHome + "/quillard" : "") ? 2 : 0);
        });
        EXPECT_EQ(failed, 0);
        fs::permissions(folder, fs::perms::all);
        const std::string userFile = configHome + "/quillard/" + kSettingsFileName;
        std::ifstream beside(folder + "/" + kSettingsFileName, std::ios::binary);
        const std::string programText(std::istreambuf_iterator<char>(beside), {});
        EXPECT_EQ(fs::exists(userFile), c.toUser);
        EXPECT_EQ(programText.find("szLanguage=CN") != std::string::npos, !c.toUser);
        if (c.toUser) {
            std::ifstream file(userFile, std::ios::binary);
            const std::string text(std::istreambuf_iterator<char>(file), {});
            EXPECT_NE(text.find("szLanguage=CN"), std::string::npos) << text;
            EXPECT_NE(text.find("szProtocolName1=Bus"), std::string::npos) << text;
            EXPECT_EQ(programText, kTwoProtocols);
            // every folder made for the user's files is the user's alone
            for (const std::string& made : {configHome, configHome + "/quillard"})
                EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all)
                    << made;
        }
    }
}
