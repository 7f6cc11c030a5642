// Log files on Windows: GBK, as every text of the Windows program, with CR LF.
#include <io.h>

#include "log_file_platform.h"
#include "quillard/path_text.h"
#include "quillard/text_encoding.h"

std::FILE* CreateLogFile(const std::string& path)
{
    return _wfopen(PathFromText(path).c_str(), L"wt");  // text mode: "\n" is written as CR LF
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
