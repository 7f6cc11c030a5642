// The row parser on any address and command, address length and mode: a row it
// takes becomes at most 4096 bytes without blanks; every refusal has its
// message in both languages.
#include <cstdlib>
#include <string>

#include "quillard/row_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size < 2) return 0;
    const int addrLen = static_cast<signed char>(data[0]);
    const bool hexMode = data[1] & 1;
    const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t split = rest.find('\n');
    const std::string address = split == std::string::npos ? std::string() : rest.substr(0, split);
    const std::string command = split == std::string::npos ? rest : rest.substr(split + 1);
    std::string prepared = "unchanged";
    const RowParseResult result = ParseRowTexts(address, command, addrLen, hexMode, prepared);
    if (result == RowParseResult::kOk) {
        if (prepared.empty() || prepared.size() > kMaxCommandText ||
            prepared.find(' ') != std::string::npos ||
            (hexMode && prepared.size() % 2 != 0 && addrLen <= 0))
            std::abort();
    } else if (prepared != "unchanged" || RowParseMessage(result, addrLen, 0).empty() ||
               RowParseMessage(result, addrLen, 1).empty()) {
        std::abort();
    }
    return 0;
}
