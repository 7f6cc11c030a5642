// Log files on Windows: GBK, as every text of the Windows program, with CR LF.
#include <io.h>

#include <filesystem>

#include "log_file_platform.h"
#include "quillard/text_encoding.h"

std::FILE* CreateLogFile(const std::string& path)
{
    const std::filesystem::path name(
        std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
    return _wfopen(name.c_str(), L"wt");  // text mode: "\n" is written as CR LF
}

std::string LogFileText(std::string_view utf8)
{
    return Utf8ToGbkReplacing(utf8, "?");
}

const char* LogFileEncodingName()
{
    return "GBK";
}

bool SyncLogFile(std::FILE* file)
{
    return _commit(_fileno(file)) == 0;
}

// A file opened here cannot be deleted while it is open.
bool LogFileStillAtPath(std::FILE*, const std::string&)
{
    return true;
}
