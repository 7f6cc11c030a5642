// The reply a row expects: hexadecimal bytes, "??" for any one byte and a
// trailing "*" for any rest ("90 00", "61??", "6F*").
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class ExpectedReply {
public:
    // The pattern of `text` (blanks between the bytes are free), or none with
    // `error` set.
    static std::optional<ExpectedReply> Parse(std::string_view text, std::string& error);

    // Whether `reply` (the bytes the plug-in gave back) is of this pattern.
    bool Matches(std::span<const unsigned char> reply) const;

    // The pattern as the log shows bytes: "90 00", "61 ??", "6F *".
    std::string Text() const;

private:
    std::vector<int> m_bytes;  // -1: any byte
    bool m_bAnyRest = false;
};
