// The line-setting text in the Windows mode syntax, read as BuildCommDCBA reads
// it for the four values the port uses:
// - "9600,n,8,1", blanks around the fields allowed, optionally followed by a
//   flow-control field (x, p or nothing), which is accepted and not used; the
//   rates 11, 15, 30, 60, 12, 24, 48, 96 and 19 stand for 110 ... 19200. All
//   four fields must be there.
// - "baud=9600 parity=n data=8 stop=1" with keys in any order and case; a key
//   not given keeps its value in the state, except stop bits: without "stop="
//   they are 1 (2 when "baud=110" is given).
// Either may follow "COMn:" or "COMn", with blanks before and after the colon.
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

std::optional<std::uint32_t> ParseRate(std::string_view text)
{
    const auto value = ParseNumber(text);
    if (!value || *value == 0) return std::nullopt;
    return value;
}

// A rate, or one of the two-digit abbreviations of the mode command (96 = 9600).
std::optional<std::uint32_t> ParseBaud(std::string_view text)
{
    const auto value = ParseRate(text);
    if (!value) return std::nullopt;
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

using FieldSetter = bool (*)(std::string_view value, CommState& state);

// The four fields in the order of the comma form.
constexpr FieldSetter kCommaFields[] = {
    SetField<ParseBaud, &CommState::BaudRate>,
    SetField<ParseParity, &CommState::Parity>,
    SetField<ParseDataBits, &CommState::ByteSize>,
    SetField<ParseStopBits, &CommState::StopBits>,
};

// The keys of the four fields; the key form takes the rate as written.
struct KeyedField {
    std::string_view key;
    FieldSetter set;
};
constexpr KeyedField kKeyedFields[] = {
    {"baud", SetField<ParseRate, &CommState::BaudRate>},
    {"parity", SetField<ParseParity, &CommState::Parity>},
    {"data", SetField<ParseDataBits, &CommState::ByteSize>},
    {"stop", SetField<ParseStopBits, &CommState::StopBits>},
};

bool SetKeyedField(std::string_view key, std::string_view value, CommState& state)
{
    for (const KeyedField& field : kKeyedFields)
        if (EqualsNoCase(key, field.key)) return field.set(value, state);
    return IsOtherModeKey(key, value);
}

bool ParseKeyForm(std::string_view text, CommState& state)
{
    bool baudGiven = false, stopGiven = false;
    while (!(text = Trim(text)).empty()) {
        const std::size_t end = text.find_first_of(" \t");
        const std::string_view token = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
        const std::size_t equals = token.find('=');
        if (equals == std::string_view::npos) return false;
        const std::string_view key = token.substr(0, equals);
        if (!SetKeyedField(key, token.substr(equals + 1), state)) return false;
        baudGiven = baudGiven || EqualsNoCase(key, "baud");
        stopGiven = stopGiven || EqualsNoCase(key, "stop");
    }
    // Stop bits always get a value, as the mode command gives them.
    if (!stopGiven)
        state.StopBits = baudGiven && state.BaudRate == 110 ? kTwoStopBits : kOneStopBit;
    return true;
}

// The field after the stop bits: x (XON/XOFF), p (hardware handshake) or
// nothing. It names flow control, which this library leaves to the device.
bool IsFlowControlField(std::string_view field)
{
    return field.empty() || EqualsNoCase(field, "x") || EqualsNoCase(field, "p");
}

// All four fields are required, as Windows requires them: a field left off
// would keep whatever the last open set.
bool ParseCommaForm(std::string_view text, CommState& state)
{
    for (std::size_t index = 0;; ++index) {
        const std::size_t comma = text.find(',');
        const std::string_view field = Trim(text.substr(0, comma));
        const bool ok = index < std::size(kCommaFields)
                            ? kCommaFields[index](field, state)
                            : index == std::size(kCommaFields) && IsFlowControlField(field);
        if (!ok) return false;
        if (comma == std::string_view::npos) return index + 1 >= std::size(kCommaFields);
        text.remove_prefix(comma + 1);
    }
}

// The text after a leading "COMn:" device name ("COMn", a blank or a colon,
// blanks on both sides of the colon); none for a device name that is not
// well-formed ("COM0:", "COM:", "COM1x").
std::optional<std::string_view> SkipDeviceName(std::string_view text)
{
    if (text.size() < 3 || !EqualsNoCase(text.substr(0, 3), "com")) return text;
    std::size_t i = 3;
    if (i == text.size() || text[i] < '1' || text[i] > '9') return std::nullopt;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    if (i == text.size() || (text[i] != ':' && !std::isspace(static_cast<unsigned char>(text[i]))))
        return std::nullopt;
    text = Trim(text.substr(i));
    if (!text.empty() && text.front() == ':') text.remove_prefix(1);
    return text;
}

}  // namespace

bool BuildCommState(const char* settings, CommState& state)
{
    const auto afterName = SkipDeviceName(Trim(settings));
    if (!afterName) return false;
    const std::string_view text = Trim(*afterName);
    if (text.empty()) return false;
    CommState parsed = state;
    const bool ok = text.find('=') != std::string_view::npos ? ParseKeyForm(text, parsed)
                                                             : ParseCommaForm(text, parsed);
    if (ok) state = parsed;
    return ok;
}
