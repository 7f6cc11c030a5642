// Corvane's wrap and unwrap on any text and any capacity: they never write past
// the capacity they are given, and a wrapped frame reads back as its text.
#include <cstdlib>
#include <vector>

#define TLX_PLUGIN_BUILD
#include "tlx_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size < 2) return 0;
    const int capacity = data[0] * 17;  // 0 to 4335
    const char* text = reinterpret_cast<const char*>(data + 1);
    const int length = static_cast<int>(size - 1);
    std::vector<unsigned char> frame(static_cast<std::size_t>(capacity) + 1, 0xEE);
    int frameLength = capacity;
    if (tlx_PCToReader(text, length, frame.data(), &frameLength)) {
        if (frameLength < 0 || frameLength > capacity ||
            frame[static_cast<std::size_t>(capacity)] != 0xEE)
            std::abort();
        std::vector<unsigned char> reply(4096);
        int replyLength = 0;
        tlx_ReaderToPC(frame.data(), frameLength, reply.data(), &replyLength);
        if (replyLength != frameLength) std::abort();
        (void)tlx_CheckData(reply.data(), replyLength);
    }
    return 0;
}
