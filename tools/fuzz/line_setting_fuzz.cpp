// The line-setting parser on any text: it takes a setting whole or leaves the
// state alone.
#include <cstdlib>
#include <cstring>
#include <string>

#include "hollet/port_types.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CommState state{};
    state.BaudRate = 12345;
    CommState before = state;
    if (!BuildCommState(text.c_str(), state) && std::memcmp(&state, &before, sizeof state) != 0)
        std::abort();
    return 0;
}
