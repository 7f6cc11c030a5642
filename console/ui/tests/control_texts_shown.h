// The texts a control of the window may show beyond its template text and the
// language table: the open button's two states, the port and line-setting
// entries at their longest, a HID reader's name.
#pragma once

#include <vector>

inline std::vector<const char*> OtherTextsOf(int id)
{
    switch (id) {
        case 1015:
        case 1062: return {"打开", "关闭", "Open", "Close"};
        case 1014: return {"Loop Send"};
        case 1058: return {"COM1024", "COM200"};
        case 1060: return {"115200,e,8,1", "19200, n,8,1"};
        case 1088: return {"Vemra HIDDevice ID: 99"};
        default: return {};
    }
}
