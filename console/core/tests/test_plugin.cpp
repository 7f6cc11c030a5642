// Protocol plug-ins for the console's tests, one per behaviour, all from this
// file: wrap and unwrap pass bytes through, as Corvane does, and
//   TEST_CHECK_RESULT   is what the check returns (default 0);
//   TEST_NO_UNWRAP      leaves tlx_ReaderToPC out;
//   TEST_GARBAGE        reports lengths that are garbage: a text starting with F
//                       wraps to a frame of -1 bytes, and every unwrap claims
//                       100000 bytes more than were read.
//   TEST_RECORD         appends each call, with the bytes it was given, as a line
//                       to the file named by TEST_PLUGIN_RECORD, for a test that
//                       drives the console from another process.
// Every load of any of them counts up the environment variable TEST_PLUGIN_LOADS,
// and each keeps the last command text it was given for test_LastCommandText.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tlx_protocol.h"

#ifndef TEST_CHECK_RESULT
#define TEST_CHECK_RESULT 0
#endif

namespace {

char g_lastText[4096];
int g_lastLength = 0;

__attribute__((constructor)) void CountLoad()
{
    const char* loads = std::getenv("TEST_PLUGIN_LOADS");
    char text[16];
    std::snprintf(text, sizeof text, "%d", (loads ? std::atoi(loads) : 0) + 1);
#ifdef _WIN32
    _putenv_s("TEST_PLUGIN_LOADS", text);
#else
    setenv("TEST_PLUGIN_LOADS", text, 1);
#endif
}

// "name B6 C1 BF A8" appended to the record file, when there is one.
void Record([[maybe_unused]] const char* name, [[maybe_unused]] const unsigned char* bytes,
            [[maybe_unused]] int length)
{
#ifdef TEST_RECORD
    const char* path = std::getenv("TEST_PLUGIN_RECORD");
    if (!path) return;
    if (std::FILE* file = std::fopen(path, "ab")) {
        std::fputs(name, file);
        for (int i = 0; i < length; ++i)
            std::fprintf(file, " %02X", bytes[i]);
        std::fputc('\n', file);
        std::fclose(file);
    }
#endif
}

}  // namespace

extern "C" {

// Copies the last command text into `text` (at most `capacity` bytes) and
// returns its length.
TLX_EXPORT int test_LastCommandText(char* text, int capacity)
{
    const int length = g_lastLength < capacity ? g_lastLength : capacity;
    std::memcpy(text, g_lastText, static_cast<std::size_t>(length));
    return length;
}

TLX_EXPORT int tlx_PCToReader(const char* text, int textLength, unsigned char* frame,
                              int* frameLength)
{
    g_lastLength = textLength < 0 ? 0 : textLength > 4096 ? 4096 : textLength;
    std::memcpy(g_lastText, text, static_cast<std::size_t>(g_lastLength));
    Record("PCToReader", reinterpret_cast<const unsigned char*>(text), g_lastLength);
    if (textLength > *frameLength) return 0;
    std::memcpy(frame, text, static_cast<std::size_t>(textLength));
    *frameLength = textLength;
#ifdef TEST_GARBAGE
    if (textLength > 0 && text[0] == 'F') *frameLength = -1;
#endif
    return 1;
}

#ifndef TEST_NO_UNWRAP
TLX_EXPORT int tlx_ReaderToPC(const unsigned char* raw, int rawLength, unsigned char* reply,
                              int* replyLength)
{
    Record("ReaderToPC", raw, rawLength);
    std::memcpy(reply, raw, static_cast<std::size_t>(rawLength));
    *replyLength = rawLength;
#ifdef TEST_GARBAGE
    *replyLength = rawLength + 100000;
#endif
    return 1;
}
#endif

TLX_EXPORT int tlx_CheckData(const unsigned char* reply, int length)
{
    Record("CheckData", reply, length);
    return TEST_CHECK_RESULT;
}
}
