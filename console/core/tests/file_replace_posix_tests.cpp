// Replacing a file as the system sees it: a disk that takes no more bytes,
// permissions and owners, links.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "program_folder.h"
#include "quillard/file_replace.h"

namespace {

namespace fs = std::filesystem;

// Files may grow to `bytes` only, as on a full disk (write() then fails).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldSignal = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldSignal);
    }

private:
    rlimit m_old{};
    sighandler_t m_oldSignal;
};

}  // namespace

TEST(FileReplacePosix, AFullDiskLeavesTheOldFile)
{
    TestProgramFolder folder;
    fs::create_directory(folder.Path("files"));
    folder.Write("files/History.ini", "[s]\r\nCMD0=01\r\n");
    {
        const FileSizeLimit full(8);
        EXPECT_FALSE(ReplaceFileContents(folder.Path("files/History.ini"),
                                         "[s]\r\nCMD0=0102030405060708\r\n"));
    }
    EXPECT_EQ(folder.Read("files/History.ini"), "[s]\r\nCMD0=01\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path("files")), {}), 1);
}

// The new file keeps the old one's permission bits and owner; a link keeps
// leading to the file, which is the one replaced; a new file gets the mode
// the umask gives.
TEST(FileReplacePosix, KeepsPermissionsOwnersAndLinks)
{
    TestProgramFolder folder;
    const std::string file = folder.Path("History.ini");
    folder.Write("History.ini", "old");
    chmod(file.c_str(), 0640);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
    }
    fs::create_directory(folder.Path("elsewhere"));
    fs::create_symlink("../History.ini", folder.Path("elsewhere/History.ini"));

    ASSERT_TRUE(ReplaceFileContents(folder.Path("elsewhere/History.ini"), "new"));
    EXPECT_TRUE(fs::is_symlink(folder.Path("elsewhere/History.ini")));
    EXPECT_EQ(folder.Read("History.ini"), "new");
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(after.st_uid, 65534u);
        EXPECT_EQ(after.st_gid, 65534u);
    }

    const mode_t mask = umask(022);
    ASSERT_TRUE(ReplaceFileContents(folder.Path("new.ini"), "x"));
    umask(mask);
    ASSERT_EQ(stat(folder.Path("new.ini").c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0644u);
}
