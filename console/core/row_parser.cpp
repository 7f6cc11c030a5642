#include "quillard/row_parser.h"

#include <cstdio>

#include "quillard/field_parse.h"
#include "quillard/text_encoding.h"

RowParseResult ParseRowTexts(std::string_view address, std::string_view command, int addrLen,
                             bool hexMode, std::string& prepared)
{
    std::string addr;
    if (addrLen > 0) {
        const auto addressGbk = Utf8ToGbk(address);
        if (!addressGbk) return RowParseResult::kAddressNotGbk;
        addr = WithoutSpaces(*addressGbk);
        if (addr.size() % 2 != 0 || addr.size() / 2 != static_cast<std::size_t>(addrLen))
            return RowParseResult::kAddressLength;
    }
    const auto commandGbk = Utf8ToGbk(command);
    if (!commandGbk) return RowParseResult::kCommandNotGbk;
    // a blank is never part of a GBK character: removing its bytes removes blanks
    std::string cmd = WithoutSpaces(*commandGbk);
    if (cmd.size() % 2 != 0 && hexMode) return RowParseResult::kOddCommand;
    if (cmd.empty()) return RowParseResult::kEmptyCommand;
    if (addr.size() + cmd.size() > kMaxCommandText) return RowParseResult::kTooLong;
    prepared = addr + cmd;
    return RowParseResult::kOk;
}

RowField FaultyField(RowParseResult result)
{
    return result == RowParseResult::kAddressLength || result == RowParseResult::kAddressNotGbk
               ? RowField::kAddress
               : RowField::kCommand;
}

std::string RowParseMessage(RowParseResult result, int addrLen, int language)
{
    const bool english = language == 1;
    char text[256] = {};
    switch (result) {
        case RowParseResult::kOk: break;
        case RowParseResult::kAddressLength:
            if (english)
                std::snprintf(text, sizeof text, "Address length error, Need %d bytes!", addrLen);
            else
                std::snprintf(text, sizeof text, "地址长度为%d个字节, %zu个有效字符, 请检查输入!",
                              addrLen, AddressCharacters(addrLen));
            break;
        case RowParseResult::kOddCommand:
            return english
                       ? "Command format fault, Appear odd valid characters, Please Check input!"
                       : "命令格式错误, 出现奇数个有效字符, 请检查输入!";
        case RowParseResult::kEmptyCommand:
            return english ? "Command cannot be empty, please input!" : "命令不能为空, 请输入!";
        case RowParseResult::kTooLong:
            std::snprintf(text, sizeof text,
                          english ? "Command too long: address and command together may hold at "
                                    "most %zu characters, Please Check input!"
                                  : "命令过长, 地址和命令合计最多%zu个有效字符, 请检查输入!",
                          kMaxCommandText);
            break;
        case RowParseResult::kAddressNotGbk:
            return english
                       ? "The address holds characters that have no GBK form, Please Check input!"
                       : "地址中有无法以GBK表示的字符, 请检查输入!";
        case RowParseResult::kCommandNotGbk:
            return english
                       ? "The command holds characters that have no GBK form, Please Check input!"
                       : "命令中有无法以GBK表示的字符, 请检查输入!";
    }
    return text;
}
