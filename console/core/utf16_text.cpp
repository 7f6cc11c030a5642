#include "quillard/utf16_text.h"

namespace {

char32_t ReadUnit(std::string_view bytes, std::size_t at, bool bigEndian)
{
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return bigEndian ? (char32_t{first} << 8 | second) : (char32_t{second} << 8 | first);
}

void AppendUnit(std::string& out, char32_t unit, bool bigEndian)
{
    const auto high = static_cast<char>(unit >> 8 & 0xFF);
    const auto low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

// The code point of the UTF-8 character of `length` bytes at `at`, or the
// replacement character for bytes that start none.
char32_t ReadUtf8(std::string_view utf8, std::size_t at, std::size_t length)
{
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (length == 1) return lead < 0x80 ? lead : kReplacement;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
        code = code << 6 | (static_cast<unsigned char>(utf8[at + k]) & 0x3F);
    return code;
}

std::size_t Utf8Length(std::string_view utf8, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + length > utf8.size()) return 1;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(utf8[at + k]) & 0xC0) != 0x80) return 1;
    return length;
}

}  // namespace

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const char32_t unit = ReadUnit(bytes, at, bigEndian);
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < bytes.size()) {
            const char32_t next = ReadUnit(bytes, at + 2, bigEndian);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                at += 2;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
    }
    if (at < bytes.size()) AppendUtf8(out, kReplacement);  // half a unit at the end
    return out;
}

std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian)
{
    std::string out;
    out.reserve(utf8.size() * 2);
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8Length(utf8, at);
        char32_t code = ReadUtf8(utf8, at, length);
        at += length;
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = kReplacement;
        if (code >= 0x10000) {
            AppendUnit(out, 0xD800 + ((code - 0x10000) >> 10), bigEndian);
            AppendUnit(out, 0xDC00 + ((code - 0x10000) & 0x3FF), bigEndian);
        } else {
            AppendUnit(out, code, bigEndian);
        }
    }
    return out;
}
