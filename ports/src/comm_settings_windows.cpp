// The line-setting text read by the platform itself (BuildCommDCBA), so that
// the console takes every mode text Windows takes.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "comm_state_windows.h"

bool BuildCommState(const char* settings, CommState& state)
{
    // a text of blanks names no setting at all (Wine's BuildCommDCBA takes it)
    if (!settings || settings[std::strspn(settings, " \t")] == '\0') return false;
    // The comma form needs all four fields, whatever the system's own reading
    // takes: a field left off would keep what the last open set.
    const std::string_view text = settings;
    if (text.find('=') == std::string_view::npos && std::count(text.begin(), text.end(), ',') < 3)
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    CopyStateToDcb(state, dcb);
    if (!BuildCommDCBA(settings, &dcb)) return false;
    CopyDcbToState(dcb, state);
    return true;
}
