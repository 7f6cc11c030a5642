// The INI reader and writer on any file: a value written reads back the same; a
// UTF-8 file is still read as UTF-8 afterwards, and a file of ASCII and GB2312
// characters is always read as GBK unless it starts with the byte-order mark.
#include <cstdlib>
#include <string>

#include "quillard/ini_file.h"
#include "quillard/text_encoding.h"

namespace {

bool IsGb2312Text(const std::string& bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) continue;
        if (i + 1 == bytes.size()) return false;
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        if (!((lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7)) || trail < 0xA1 ||
            trail > 0xFE)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    IniDocument document = IniDocument::Parse(file);
    (void)document.Get("Setting", "nProtocolCount");
    (void)document.Get("szProtocolName0", "szDevName0");
    if (!file.starts_with(kUtf8Bom) && IsGb2312Text(file) &&
        document.Encoding() != FileEncoding::kGbk)
        std::abort();
    document.Set("szProtocolName0", "CMD0", "00 A4 04 00");
    const std::string written = document.Serialize();
    const IniDocument again = IniDocument::Parse(written);
    if (again.Get("szProtocolName0", "CMD0") != "00 A4 04 00") std::abort();
    // (a file left with ASCII only is the same in both)
    if (document.Encoding() == FileEncoding::kUtf8 && again.Encoding() != FileEncoding::kUtf8 &&
        HasNonAsciiBytes(written))
        std::abort();
    return 0;
}
