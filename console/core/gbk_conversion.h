// The system's own conversion between UTF-8 and GBK, one source file per system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Invalid GBK sequences come out as U+FFFD.
std::string ConvertGbkToUtf8(std::string_view gbk);
// None when some character cannot be converted.
std::optional<std::string> ConvertUtf8ToGbk(std::string_view utf8);
