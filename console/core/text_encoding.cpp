#include "quillard/text_encoding.h"

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
