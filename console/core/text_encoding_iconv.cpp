// GBK through the C library's iconv.
#include <iconv.h>

#include <cerrno>

#include "gbk_conversion.h"

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`; an input sequence that cannot be converted is
    // replaced by `replacement` (or fails the conversion when it is null).
    std::optional<std::string> Convert(std::string_view in, const char* replacement)
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // a fresh start for each text
        std::string out;
        char buffer[1024];
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t result = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            if (!replacement) return std::nullopt;
            // EILSEQ or EINVAL: skip one byte of the input.
            out.append(replacement);
            ++src;
            --srcLeft;
        }
        return out;
    }

private:
    iconv_t m_cd;
};

}  // namespace

std::string ConvertGbkToUtf8(std::string_view gbk)
{
    thread_local Converter converter("UTF-8", "GBK");  // opened once per thread
    return converter.Convert(gbk, "\xEF\xBF\xBD").value_or(std::string());
}

std::optional<std::string> ConvertUtf8ToGbk(std::string_view utf8)
{
    thread_local Converter converter("GBK", "UTF-8");
    return converter.Convert(utf8, nullptr);
}
