#include "edit_change.h"

#include <algorithm>

namespace {

bool IsHighHalf(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowHalf(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

EditChange FindEditChange(std::u16string_view before, std::u16string_view after)
{
    std::size_t prefix = 0;
    const std::size_t shorter = std::min(before.size(), after.size());
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    if (prefix > 0 && IsHighHalf(after[prefix - 1])) --prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    if (suffix > 0 && IsLowHalf(after[after.size() - suffix])) --suffix;
    return {prefix, after.size() - prefix - suffix};
}
