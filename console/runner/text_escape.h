// Text written into the runner's JSON and XML files: valid UTF-8 whatever the
// rows held, with the characters each format reserves escaped.
#pragma once

#include <string>
#include <string_view>

// `text` with each byte that does not belong to a well-formed UTF-8 sequence
// taken as U+FFFD.
std::string ValidUtf8(std::string_view text);

// A JSON string literal, quotes included.
std::string JsonString(std::string_view text);

// Text for an XML attribute value or element: & < > " ' escaped, control
// characters that XML 1.0 cannot hold taken as U+FFFD.
std::string XmlText(std::string_view text);
