// Bytes as the peer's files hold them: two upper-case hex digits a byte, no blanks.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

inline std::string HexText(const std::vector<unsigned char>& bytes)
{
    std::string text;
    char digits[4];
    for (const unsigned char b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        text += digits;
    }
    return text;
}

inline std::vector<unsigned char> BytesOfHexText(const std::string& text)
{
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return bytes;
}
