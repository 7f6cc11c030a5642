// One string made of parts, in one allocation. It also keeps GCC's -O3 from
// seeing `"text" + std::string(...)` as an overlapping copy (-Wrestrict, a
// known false positive of GCC 12 in std::string's insert at the front).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

inline std::string Concatenated(std::initializer_list<std::string_view> parts)
{
    std::size_t size = 0;
    for (const std::string_view part : parts)
        size += part.size();
    std::string text;
    text.reserve(size);
    for (const std::string_view part : parts)
        text.append(part);
    return text;
}
