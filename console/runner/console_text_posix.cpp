#include "runner_output.h"

// The terminal and any file or pipe take UTF-8 as it is.
void WriteConsoleText(std::FILE* stream, std::string_view utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

// The arguments as the shell gave them: UTF-8 on this system.
std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}
