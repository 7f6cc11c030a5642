// Reading numbers typed into the window's edits, with the rules and messages of
// a dialog's data exchange.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An unsigned decimal number with optional blanks or tabs around it and an
// optional '+'; nothing else. Values beyond 32 bits are refused.
std::optional<std::uint32_t> ParseUnsignedField(std::string_view text);

// The number in a text after its leading characters that occur in `skipped`
// ("COM12" after "COM" → 12): its leading digits, 0 when there are none, the
// largest unsigned long when there are too many.
unsigned long NumberAfterLeading(std::string_view text, std::string_view skipped);

// The text with every space character removed (no other blank).
std::string WithoutSpaces(std::string_view text);

inline constexpr const char* kNotUnsignedMessage = "Please enter a positive integer.";
// "Please enter an integer between <low> and <high>."
std::string RangeMessage(std::uint32_t low, std::uint32_t high);
