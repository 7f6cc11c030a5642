#include "quillard/log_texts.h"

#include <cstdio>
#include <cstring>

std::size_t RenderHex(const unsigned char* bytes, std::size_t count, char* out)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char* p = out;
    for (std::size_t i = 0; i < count; ++i) {
        *p++ = kDigits[bytes[i] >> 4];
        *p++ = kDigits[bytes[i] & 0x0F];
        *p++ = ' ';
    }
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}

std::string FormatLogLine(const char* format, std::string_view hex, int milliseconds)
{
    std::string line;
    line.reserve(std::strlen(format) + hex.size() + 8);
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            line.append(hex);
            p += 1;
        } else if (p[0] == '%' && p[1] == '6' && p[2] == 'd') {
            char number[16];
            const int width = std::snprintf(number, sizeof number, "%6d", milliseconds);
            line.append(number, static_cast<std::size_t>(width));
            p += 2;
        } else {
            line.push_back(*p);
        }
    }
    return line;
}
