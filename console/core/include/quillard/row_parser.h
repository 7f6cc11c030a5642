// Turning a send row's address and command texts into the command text of a
// transaction, and the messages that refuse a row. The texts come from the
// edits as UTF-8; the command text is GBK, as the Windows program hands it to a
// plug-in, and every count below is of its bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The most command text (address and command together, blanks removed) that a
// transaction's work buffer holds.
inline constexpr std::size_t kMaxCommandText = 4096;

enum class RowParseResult {
    kOk,
    kAddressLength,  // the address does not hold 2 × address length digits
    kOddCommand,     // hex mode: an odd number of command characters
    kEmptyCommand,   // nothing but blanks in the command
    kTooLong,        // more than kMaxCommandText bytes of command text
    kAddressNotGbk,  // the address holds a character without a GBK form
    kCommandNotGbk,  // the command holds a character without a GBK form
};

// Which edit a refused row sends the focus to.
enum class RowField { kAddress, kCommand };

// Checks the texts in the order address (its GBK form, then its length), the
// command's GBK form, odd count, empty, length, and on success writes the
// prepared text, GBK bytes, into `prepared` (left alone otherwise). Only space
// characters are removed; the address counts only when `addrLen` > 0.
// `address` and `command` are UTF-8.
RowParseResult ParseRowTexts(std::string_view address, std::string_view command, int addrLen,
                             bool hexMode, std::string& prepared);

RowField FaultyField(RowParseResult result);

// The characters an address of `addrLen` bytes is typed with: two a byte
// (none for a length of 0 or less), counted without overflow for any length.
inline std::size_t AddressCharacters(int addrLen)
{
    return addrLen > 0 ? 2 * static_cast<std::size_t>(addrLen) : 0;
}

// The message for a refused row in the interface language (1 English, else Chinese).
std::string RowParseMessage(RowParseResult result, int addrLen, int language);
