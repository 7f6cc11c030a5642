// GB2312 as Windows reads it (code page 20936). Where the system lacks that code
// page (Wine), code page 936: in the rows C2 to DF and the cells A1 to BF asked
// for here GB2312 is full and GBK holds the same characters.
#include <windows.h>

#include "gb2312_pairs.h"

std::vector<Gb2312Pair> Utf8LookingGb2312Pairs()
{
    const UINT codePage = IsValidCodePage(20936) ? 20936 : 936;
    std::vector<Gb2312Pair> pairs;
    for (int lead = 0xC2; lead <= 0xDF; ++lead) {
        for (int trail = 0xA1; trail <= 0xBF; ++trail) {
            const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            wchar_t wide[4];
            const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, 2, wide, 4);
            if (n != 1 || wide[0] == 0x30FB || wide[0] == 0xFFFD) continue;
            char out[8];
            const int bytes =
                WideCharToMultiByte(CP_UTF8, 0, wide, n, out, sizeof out, nullptr, nullptr);
            if (bytes > 0) pairs.push_back({std::string(in, 2), std::string(out, bytes)});
        }
    }
    return pairs;
}
