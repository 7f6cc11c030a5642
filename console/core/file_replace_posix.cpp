// Replacing a file on POSIX systems: open(O_EXCL) beside it, fsync, rename(),
// then fsync of the folder, so that the new name survives a power loss too.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "file_replace_os.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinks = 16;  // more make a loop, left as it is
constexpr int kNameAttempts = 100;

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The new file takes the old one's owner where the system lets it (root
// writing a user's file), and then its permission bits.
bool TakeOwnerAndMode(int fd, const struct stat& old)
{
    if ((old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Another's file: the new one stays ours, with the old one's bits.
    }
    return fchmod(fd, old.st_mode & 07777) == 0;
}

void SyncFolder(const std::string& file)
{
    const fs::path folder = fs::path(file).parent_path();
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

namespace file_replace_os {

std::string ResolveTarget(const std::string& path)
{
    fs::path target(path);
    std::error_code error;
    for (int hop = 0; hop < kMaxLinks && fs::is_symlink(fs::symlink_status(target, error)); ++hop) {
        const fs::path next = fs::read_symlink(target, error);
        if (error) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target.string();
}

std::string WriteBeside(const std::string& target, std::string_view bytes)
{
    struct stat old {};
    const bool replacing = stat(target.c_str(), &old) == 0;
    std::string temp;
    int fd = -1;
    // A new file gets the mode that the umask leaves of 0666, as fopen gives.
    for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
        temp = TempPathBeside(target);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return {};
    }
    if (fd < 0) return {};
    bool whole = WriteAll(fd, bytes) && (!replacing || TakeOwnerAndMode(fd, old));
    whole = whole && fsync(fd) == 0;
    whole = close(fd) == 0 && whole;
    if (!whole) {
        unlink(temp.c_str());
        return {};
    }
    return temp;
}

bool PutInPlace(const std::string& temp, const std::string& target)
{
    if (rename(temp.c_str(), target.c_str()) != 0) return false;
    SyncFolder(target);
    return true;
}

void RemoveFile(const std::string& path)
{
    unlink(path.c_str());
}

}  // namespace file_replace_os
