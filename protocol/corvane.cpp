/*
 * Corvane: the pass-through protocol. The command text is read as pairs of
 * hexadecimal digits and sent as exactly those bytes; every reply is handed
 * back unchanged and accepted. Stateless, so any thread may call it.
 */
#define TLX_PLUGIN_BUILD
#include "tlx_protocol.h"

#include <cstring>

namespace {

// 0-9, A-F and a-f give their value; every other character gives 0.
int NibbleOf(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

}  // namespace

int tlx_PCToReader(const char* text, int textLength, unsigned char* frame, int* frameLength)
{
    const int capacity = *frameLength;
    int i = 0;
    // 2·i < textLength, written so that it cannot overflow
    while (i < capacity && i < textLength - i) {
        const int high = NibbleOf(text[2 * i]);
        // A final unpaired character gives the high nibble alone.
        const int low = 2 * i + 1 < textLength ? NibbleOf(text[2 * i + 1]) : 0;
        frame[i] = static_cast<unsigned char>(high << 4 | low);
        ++i;
    }
    *frameLength = i;
    return 1;
}

int tlx_ReaderToPC(const unsigned char* raw, int rawLength, unsigned char* reply, int* replyLength)
{
    if (rawLength > 0) std::memcpy(reply, raw, static_cast<std::size_t>(rawLength));
    *replyLength = rawLength > 0 ? rawLength : 0;
    return 1;
}

int tlx_CheckData(const unsigned char* reply, int replyLength)
{
    static_cast<void>(reply);
    static_cast<void>(replyLength);
    return TLX_CHECK_OK;
}
