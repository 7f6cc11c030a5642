// Every GB2312 character whose two GBK bytes are also valid UTF-8 (lead C2 to
// DF, trail A1 to BF), read by the system's own GB2312 table, not the
// console's conversion; one source file per system.
#pragma once

#include <string>
#include <vector>

struct Gb2312Pair {
    std::string gbk;   // the two bytes
    std::string utf8;  // the character they stand for
};

std::vector<Gb2312Pair> Utf8LookingGb2312Pairs();
