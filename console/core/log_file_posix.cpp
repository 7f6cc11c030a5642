// Log files here: UTF-8, like every text file of the system on Linux.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "log_file_platform.h"

std::FILE* CreateLogFile(const std::string& path)
{
    return std::fopen(path.c_str(), "we");  // not inherited by a started program
}

std::string LogFileText(std::string_view utf8)
{
    return std::string(utf8);
}

const char* LogFileEncodingName()
{
    return "UTF-8";
}

bool SyncLogFile(std::FILE* file)
{
    return fdatasync(fileno(file)) == 0 || errno == EINVAL;  // a device that cannot sync
}

// An open file that is deleted lives on unseen, so writing to it succeeds.
bool LogFileStillAtPath(std::FILE* file, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    if (fstat(fileno(file), &open) != 0 || stat(path.c_str(), &named) != 0) return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
