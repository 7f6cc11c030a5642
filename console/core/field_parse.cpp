#include "quillard/field_parse.h"

#include <climits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<std::uint32_t> ParseUnsignedField(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] == '+') ++i;
    const std::size_t digitsStart = i;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > UINT32_MAX) return std::nullopt;
    }
    if (i == digitsStart) return std::nullopt;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size()) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::string RangeMessage(std::uint32_t low, std::uint32_t high)
{
    return "Please enter an integer between " + std::to_string(low) + " and " +
           std::to_string(high) + ".";
}

unsigned long NumberAfterLeading(std::string_view text, std::string_view skipped)
{
    std::size_t i = 0;
    while (i < text.size() && skipped.find(text[i]) != std::string_view::npos)
        ++i;
    unsigned long number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<unsigned long>(text[i] - '0');
        number = number > (ULONG_MAX - digit) / 10 ? ULONG_MAX : number * 10 + digit;
    }
    return number;
}

std::string WithoutSpaces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ') out.push_back(c);
    }
    return out;
}
