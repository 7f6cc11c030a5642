// The traffic log's line formats, and the two messages of a transaction. Every
// line has four columns separated by │: direction, status, round-trip time and
// the bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace log_texts {

inline constexpr const char* kOutSuccess = " OUT│ SUCCESS│            │ %s";
inline constexpr const char* kOutWriteError = " OUT│WRIT ERR│            │ %s";
inline constexpr const char* kInSuccess = "  IN│ SUCCESS│use %6dms│ %s";
inline constexpr const char* kInLengthError = "  IN│ LEN ERR│use %6dms│ %s";
inline constexpr const char* kInBccError = "  IN│ BCC ERR│use %6dms│ %s";
inline constexpr const char* kInNoDefinition = "  IN│  NO DEF│use %6dms│ %s";
inline constexpr const char* kInLengthErrorNoData = "  IN│ LEN ERR│use %6dms│ ...";
inline constexpr const char* kInNoData = "  IN│ NO DATA│use %6dms│ ...";

// 2, 4 and 6 rules stand under the first three columns; 78 run on under the bytes.
inline constexpr const char* kSeparator =
    "──┼────┼──────┼──────────────────────────────────────────────────────────────────────────────";

inline constexpr const char* kPortsNotOpen = "Ports are not open!";
inline constexpr const char* kProtocolLoadError = "Protocol library load error!";

}  // namespace log_texts

// Renders `count` bytes as "%02X " each into `out`, which must have room for
// 3·count + 1 characters; returns 3·count. The text is terminated.
std::size_t RenderHex(const unsigned char* bytes, std::size_t count, char* out);

// One log line from one of the formats above: "%6d" takes the round-trip time
// in milliseconds, "%s" the hex text.
std::string FormatLogLine(const char* format, std::string_view hex, int milliseconds = 0);
