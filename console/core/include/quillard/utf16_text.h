// UTF-16 bytes (as Notepad's "Unicode" files hold them) to UTF-8 and back, on
// every system. What cannot be read (an unpaired surrogate, half a unit at the
// end, bytes of no UTF-8 character) becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian);
