#include <io.h>
#include <windows.h>

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
