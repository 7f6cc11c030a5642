#include "runner_output.h"

// The terminal and any file or pipe take UTF-8 as it is.
void WriteConsoleText(std::FILE* stream, std::string_view utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}
