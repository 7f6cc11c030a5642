// An output report as a reader receives it: the report ID 0, then 64 bytes of
// data filled up with zeros.
#pragma once

#include <algorithm>
#include <vector>

inline std::vector<unsigned char> OutputReport(const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> report(65, 0);
    std::copy(data.begin(), data.end(), report.begin() + 1);
    return report;
}
