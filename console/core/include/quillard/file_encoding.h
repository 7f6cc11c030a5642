// Which encoding a settings or history file is in. Files written by the Windows
// program are GBK; one a user saved as UTF-8 stays UTF-8, and one saved as
// UTF-16 (Notepad's "Unicode", always with its byte-order mark) stays UTF-16.
#pragma once

#include <string_view>

enum class FileEncoding { kGbk, kUtf8, kUtf16Le, kUtf16Be };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

inline bool IsUtf16(FileEncoding encoding)
{
    return encoding == FileEncoding::kUtf16Le || encoding == FileEncoding::kUtf16Be;
}

// UTF-16 or UTF-8 for a file that starts with its byte-order mark; otherwise GBK
// unless the bytes cannot be GBK, or they are valid UTF-8 holding characters of
// three or four bytes and their GBK reading holds a character outside GB2312.
// So a file whose text GB2312 holds (ASCII included) is always GBK, unless it
// starts with the bytes of the byte-order mark.
FileEncoding DetectFileEncoding(std::string_view bytes);
