// Conversions between UTF-8 (the console's text inside) and GBK, the Chinese
// ANSI code page in which Windows writes settings files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

bool IsValidUtf8(std::string_view bytes);
// Invalid GBK sequences come out as U+FFFD.
std::string GbkToUtf8(std::string_view gbk);
// Empty when some character has no GBK form.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);
