// GBK through the Windows code-page conversions (code page 936).
#include <windows.h>

#include <vector>

#include "gbk_conversion.h"

namespace {

constexpr UINT kGbk = 936;

std::optional<std::string> Convert(UINT from, UINT to, std::string_view text, bool strict)
{
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int wide = MultiByteToWideChar(from, flags, text.data(), length, nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide));
    MultiByteToWideChar(from, flags, text.data(), length, utf16.data(), wide);
    // No best fit: a character GBK lacks must not turn into a look-alike.
    const DWORD toFlags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* lossyOut = to == CP_UTF8 ? nullptr : &lossy;
    const int bytes =
        WideCharToMultiByte(to, toFlags, utf16.data(), wide, nullptr, 0, nullptr, lossyOut);
    if (bytes <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(to, toFlags, utf16.data(), wide, out.data(), bytes, nullptr, lossyOut);
    if (strict && lossy) return std::nullopt;
    return out;
}

}  // namespace

std::string ConvertGbkToUtf8(std::string_view gbk)
{
    return Convert(kGbk, CP_UTF8, gbk, false).value_or(std::string());
}

std::optional<std::string> ConvertUtf8ToGbk(std::string_view utf8)
{
    return Convert(CP_UTF8, kGbk, utf8, true);
}
