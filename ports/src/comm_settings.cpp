// The line-setting text in the Windows mode syntax: "9600,n,8,1" (fields may be
// left off from the right; blanks around them are allowed) or
// "baud=9600 parity=n data=8 stop=1", either optionally after "COMn:".
// Fields that are not given keep their values in the state.
#include <cctype>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "hollet/port_types.h"

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<std::uint32_t> ParseNumber(std::string_view text)
{
    if (text.empty() || text.size() > 9) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

// A rate, or one of the two-digit abbreviations of the mode command (96 = 9600).
std::optional<std::uint32_t> ParseBaud(std::string_view text)
{
    const auto value = ParseNumber(text);
    if (!value || *value == 0) return std::nullopt;
    switch (*value) {
        case 11: return 110;
        case 15: return 150;
        case 30: return 300;
        case 60: return 600;
        case 12: return 1200;
        case 24: return 2400;
        case 48: return 4800;
        case 96: return 9600;
        case 19: return 19200;
        default: return value;
    }
}

std::optional<std::uint8_t> ParseParity(std::string_view text)
{
    if (text.size() != 1) return std::nullopt;
    switch (std::tolower(static_cast<unsigned char>(text[0]))) {
        case 'n': return kParityNone;
        case 'o': return kParityOdd;
        case 'e': return kParityEven;
        case 'm': return kParityMark;
        case 's': return kParitySpace;
        default: return std::nullopt;
    }
}

std::optional<std::uint8_t> ParseDataBits(std::string_view text)
{
    const auto value = ParseNumber(text);
    if (!value || *value < 5 || *value > 8) return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

std::optional<std::uint8_t> ParseStopBits(std::string_view text)
{
    if (text == "1") return kOneStopBit;
    if (text == "1.5") return kOne5StopBits;
    if (text == "2") return kTwoStopBits;
    return std::nullopt;
}

// Fields of the key form that set parts of the line state this library does
// not use (flow control, time-out retry); accepted with their usual values.
bool IsOtherModeKey(std::string_view key, std::string_view value)
{
    static constexpr std::string_view kOnOff[] = {"to", "xon", "odsr", "octs", "idsr"};
    for (std::string_view k : kOnOff)
        if (EqualsNoCase(key, k)) return EqualsNoCase(value, "on") || EqualsNoCase(value, "off");
    if (EqualsNoCase(key, "dtr"))
        return EqualsNoCase(value, "on") || EqualsNoCase(value, "off") || EqualsNoCase(value, "hs");
    if (EqualsNoCase(key, "rts"))
        return EqualsNoCase(value, "on") || EqualsNoCase(value, "off") ||
               EqualsNoCase(value, "hs") || EqualsNoCase(value, "tg");
    return false;
}

// Reads one field of the line setting into `state`; false when it is not valid.
template <auto Parse, auto Member>
bool SetField(std::string_view value, CommState& state)
{
    const auto parsed = Parse(value);
    if (parsed) state.*Member = *parsed;
    return parsed.has_value();
}

// The four fields, in the order of the comma form, with their keys.
struct LineField {
    std::string_view key;
    bool (*set)(std::string_view value, CommState& state);
};
constexpr LineField kLineFields[] = {
    {"baud", SetField<ParseBaud, &CommState::BaudRate>},
    {"parity", SetField<ParseParity, &CommState::Parity>},
    {"data", SetField<ParseDataBits, &CommState::ByteSize>},
    {"stop", SetField<ParseStopBits, &CommState::StopBits>},
};

bool SetKeyedField(std::string_view key, std::string_view value, CommState& state)
{
    for (const LineField& field : kLineFields)
        if (EqualsNoCase(key, field.key)) return field.set(value, state);
    return IsOtherModeKey(key, value);
}

bool ParseKeyForm(std::string_view text, CommState& state)
{
    while (!(text = Trim(text)).empty()) {
        const std::size_t end = text.find_first_of(" \t");
        const std::string_view token = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
        const std::size_t equals = token.find('=');
        if (equals == std::string_view::npos ||
            !SetKeyedField(token.substr(0, equals), token.substr(equals + 1), state))
            return false;
    }
    return true;
}

// The baud rate is required; the fields after it may be left off.
bool ParseCommaForm(std::string_view text, CommState& state)
{
    std::size_t index = 0;
    for (;; ++index) {
        const std::size_t comma = text.find(',');
        if (index >= std::size(kLineFields) ||
            !kLineFields[index].set(Trim(text.substr(0, comma)), state))
            return false;
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

// Drops a leading "COMn:" device name.
std::string_view SkipDeviceName(std::string_view text)
{
    if (text.size() >= 3 && EqualsNoCase(text.substr(0, 3), "com")) {
        std::size_t i = 3;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i;
        if (i > 3 && i < text.size() && text[i] == ':') return text.substr(i + 1);
    }
    return text;
}

}  // namespace

bool BuildCommState(const char* settings, CommState& state)
{
    const std::string_view text = Trim(SkipDeviceName(Trim(settings)));
    if (text.empty()) return false;
    CommState parsed = state;
    const bool ok = text.find('=') != std::string_view::npos ? ParseKeyForm(text, parsed)
                                                             : ParseCommaForm(text, parsed);
    if (ok) state = parsed;
    return ok;
}
