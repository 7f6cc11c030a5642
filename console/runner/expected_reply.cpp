#include "expected_reply.h"

#include <cctype>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

}  // namespace

std::optional<ExpectedReply> ExpectedReply::Parse(std::string_view text, std::string& error)
{
    std::string packed;
    for (char c : text) {
        if (c != ' ' && c != '\t') packed += c;
    }
    ExpectedReply pattern;
    if (!packed.empty() && packed.back() == '*') {
        pattern.m_bAnyRest = true;
        packed.pop_back();
    }
    if (packed.empty() && !pattern.m_bAnyRest) {
        error = "no reply after '=>' (give bytes such as 90 00, ?? for any byte, * for any rest)";
        return std::nullopt;
    }
    if (packed.size() % 2 != 0) {
        error = "the reply after '=>' has an odd number of digits";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < packed.size(); i += 2) {
        if (packed[i] == '?' && packed[i + 1] == '?') {
            pattern.m_bytes.push_back(-1);
            continue;
        }
        const int high = HexValue(packed[i]);
        const int low = HexValue(packed[i + 1]);
        if (high < 0 || low < 0) {
            error = "the reply after '=>' holds '" + packed.substr(i, 2) +
                    "', which is no byte (give hexadecimal digits, ?? or a last *)";
            return std::nullopt;
        }
        pattern.m_bytes.push_back(high * 16 + low);
    }
    return pattern;
}

bool ExpectedReply::Matches(std::span<const unsigned char> reply) const
{
    if (reply.size() < m_bytes.size()) return false;
    if (!m_bAnyRest && reply.size() != m_bytes.size()) return false;
    for (std::size_t i = 0; i < m_bytes.size(); ++i) {
        if (m_bytes[i] >= 0 && reply[i] != m_bytes[i]) return false;
    }
    return true;
}

std::string ExpectedReply::Text() const
{
    std::string text;
    for (int byte : m_bytes) {
        if (!text.empty()) text += ' ';
        if (byte < 0) {
            text += "??";
        } else {
            constexpr const char* kDigits = "0123456789ABCDEF";
            text += kDigits[(byte >> 4) & 0xF];
            text += kDigits[byte & 0xF];
        }
    }
    if (m_bAnyRest) text += text.empty() ? "*" : " *";
    return text;
}
