// The user's folder for the settings files follows the XDG base directories:
// $XDG_CONFIG_HOME/quillard, or ~/.config/quillard when that is not set (or
// not an absolute path, which the XDG rules tell a program to pass over).
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "app_folders.h"
#include "quillard/settings.h"

namespace {

constexpr const char* kProgramFolderName = "quillard";

bool IsAbsolute(const char* path)
{
    return path && path[0] == '/';
}

// $HOME, or the home folder of the user's account when it is not set.
std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (IsAbsolute(home)) return home;
    const passwd* account = getpwuid(geteuid());
    return account && IsAbsolute(account->pw_dir) ? account->pw_dir : "";
}

}  // namespace

bool CanWriteFolder(const std::string& folder)
{
    // The effective user's right, as a write would meet it: a folder the user
    // may not write, or on a file system mounted read-only, is not writable.
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string UserAppFolder()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (IsAbsolute(configHome)) return FilePathIn(configHome, kProgramFolderName);
    const std::string home = HomeFolder();
    return home.empty() ? std::string()
                        : FilePathIn(FilePathIn(home, ".config"), kProgramFolderName);
}
