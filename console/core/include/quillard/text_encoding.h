// Conversions between UTF-8 (the console's text inside) and GBK (code page 936),
// the Chinese ANSI code page in which the Windows program keeps its files and
// hands command texts to plug-ins.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

bool IsValidUtf8(std::string_view bytes);
bool HasNonAsciiBytes(std::string_view bytes);
// Invalid GBK sequences come out as U+FFFD.
std::string GbkToUtf8(std::string_view gbk);
// None when some character has no GBK form: one that GBK cannot hold, or that
// would not read back as itself.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);
// The GBK bytes of a text, each character without a GBK form written as
// `replacement` (an empty one drops it).
std::string Utf8ToGbkReplacing(std::string_view utf8, std::string_view replacement);
// The characters of a UTF-8 text that have a GBK form, in their order.
std::string KeepGbkCharacters(std::string_view utf8);

// The number of bytes of the UTF-8 character that starts at `at` (1 for a byte
// that starts none).
std::size_t Utf8CharacterLength(std::string_view utf8, std::size_t at);
