// Which encoding a settings or history file is in. Files written by the Windows
// program are GBK; one a user saved as UTF-8 stays UTF-8.
#pragma once

#include <string_view>

enum class FileEncoding { kGbk, kUtf8 };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// UTF-8 for a file that starts with the UTF-8 byte-order mark; otherwise GBK
// unless the bytes cannot be GBK, or they are valid UTF-8 holding characters of
// three or four bytes and their GBK reading holds a character outside GB2312.
// So a file whose text GB2312 holds (ASCII included) is always GBK, unless it
// starts with the bytes of the byte-order mark.
FileEncoding DetectFileEncoding(std::string_view bytes);
