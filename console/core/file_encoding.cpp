#include "quillard/file_encoding.h"

#include "quillard/text_encoding.h"

namespace {

struct GbkShape {
    bool valid = true;       // every byte belongs to a GBK character
    bool onlyGb2312 = true;  // every double-byte character lies in GB2312's rows
};

bool IsGb2312Pair(unsigned char lead, unsigned char trail)
{
    const bool row = (lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7);
    return row && trail >= 0xA1 && trail <= 0xFE;
}

GbkShape ReadGbkShape(std::string_view bytes)
{
    GbkShape shape;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) continue;
        if (lead == 0x80) {  // the euro sign, a single byte in code page 936
            shape.onlyGb2312 = false;
            continue;
        }
        if (lead == 0xFF || i + 1 == bytes.size()) return {false, false};
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return {false, false};
        if (!IsGb2312Pair(lead, trail)) shape.onlyGb2312 = false;
    }
    return shape;
}

// In valid UTF-8 a byte from E0 on starts a character of three or four bytes.
bool HasWideUtf8Characters(std::string_view bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0xE0) return true;
    return false;
}

}  // namespace

FileEncoding DetectFileEncoding(std::string_view bytes)
{
    if (bytes.starts_with(kUtf8Bom)) return FileEncoding::kUtf8;
    if (bytes.starts_with(kUtf16LeBom)) return FileEncoding::kUtf16Le;
    if (bytes.starts_with(kUtf16BeBom)) return FileEncoding::kUtf16Be;
    if (!HasNonAsciiBytes(bytes) || !IsValidUtf8(bytes)) return FileEncoding::kGbk;
    const GbkShape gbk = ReadGbkShape(bytes);
    if (!gbk.valid) return FileEncoding::kUtf8;
    if (HasWideUtf8Characters(bytes) && !gbk.onlyGb2312) return FileEncoding::kUtf8;
    return FileEncoding::kGbk;
}
