#include "quillard/text_encoding.h"

#include "gbk_conversion.h"

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t follow;
        unsigned min;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            follow = 1, min = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            follow = 2, min = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            follow = 3, min = 0x10000;
        } else {
            return false;
        }
        if (i + follow >= bytes.size()) return false;
        unsigned code = lead & (0x3F >> follow);
        for (std::size_t k = 1; k <= follow; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += follow + 1;
    }
    return true;
}

bool HasNonAsciiBytes(std::string_view bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

std::size_t Utf8CharacterLength(std::string_view utf8, std::size_t at)
{
    std::size_t end = at + 1;
    while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        ++end;
    return end - at;
}

std::string GbkToUtf8(std::string_view gbk)
{
    return ConvertGbkToUtf8(gbk);
}

// A text has a GBK form when it converts and reads back as itself: a character
// that two code points share would otherwise change on its way to a file.
std::optional<std::string> Utf8ToGbk(std::string_view utf8)
{
    auto gbk = ConvertUtf8ToGbk(utf8);
    if (!gbk || ConvertGbkToUtf8(*gbk) != utf8) return std::nullopt;
    return gbk;
}

std::string Utf8ToGbkReplacing(std::string_view utf8, std::string_view replacement)
{
    if (auto whole = Utf8ToGbk(utf8)) return *whole;
    std::string out;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        if (auto character = Utf8ToGbk(utf8.substr(at, length)))
            out += *character;
        else
            out += replacement;
        at += length;
    }
    return out;
}

std::string KeepGbkCharacters(std::string_view utf8)
{
    if (Utf8ToGbk(utf8)) return std::string(utf8);
    return GbkToUtf8(Utf8ToGbkReplacing(utf8, ""));
}
