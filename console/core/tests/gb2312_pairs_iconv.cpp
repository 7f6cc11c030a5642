// GB2312 as the C library's iconv reads it.
#include <iconv.h>

#include "gb2312_pairs.h"

std::vector<Gb2312Pair> Utf8LookingGb2312Pairs()
{
    std::vector<Gb2312Pair> pairs;
    iconv_t cd = iconv_open("UTF-8", "GB2312");
    if (cd == reinterpret_cast<iconv_t>(-1)) return pairs;
    for (int lead = 0xC2; lead <= 0xDF; ++lead) {
        for (int trail = 0xA1; trail <= 0xBF; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char out[8];
            char* src = in;
            char* dst = out;
            std::size_t srcLeft = 2, dstLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) continue;
            pairs.push_back({std::string(in, 2), std::string(out, dst)});
        }
    }
    iconv_close(cd);
    return pairs;
}
