#include <io.h>
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "quillard/text_encoding.h"
#include "runner_output.h"

// A console window is given the characters themselves, so that the rules and
// Chinese messages show whatever its code page; a file or pipe gets the GBK
// bytes that every text of the console is kept in on Windows (UTF-8 where a
// character has no GBK form).
void WriteConsoleText(std::FILE* stream, std::string_view utf8)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        const int size = static_cast<int>(utf8.size());
        const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), wideLength);
        std::fflush(stream);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::optional<std::string> gbk = Utf8ToGbk(utf8);
    const std::string_view bytes = gbk ? std::string_view(*gbk) : utf8;
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

// The wide command line, so that a command typed in Chinese reaches the
// row checks as the characters themselves rather than the ANSI code page's.
std::vector<std::string> CommandLineArguments(int, char**)
{
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const int length =
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), length, nullptr, nullptr);
        arguments.push_back(std::move(argument));
    }
    LocalFree(wide);
    return arguments;
}
