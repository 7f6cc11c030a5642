// Dialog templates as tables: every control of a window with its ID, kind, text
// and rectangle in dialog units, in the order that makes the keyboard focus order.
#pragma once

#include <span>

enum class ControlKind {
    kGroupBox,
    kLabel,          // static text, left-aligned
    kLabelRight,     // static text, right-aligned
    kLabelCentered,  // static text, centred
    kLabelNoPrefix,  // static text, '&' shown as it is
    kIcon,           // the program icon
    kComboDropDown,  // editable drop-down combo box; h is the height with the list dropped
    kEdit,           // single-line edit, scrolls horizontally
    kHexEdit,        // single-line edit that keeps typed input to hexadecimal digits
    kLogEdit,        // multi-line edit with both scroll bars
    kPushButton,
    kDefPushButton,
    kFlatPushButton,
    kRadioButton,
    kCheckBox,
    kTabControl,
};

enum ControlStyle : unsigned {
    kTabStop = 1u << 0,
    kGroup = 1u << 1,   // starts a group (radio buttons: the group of one choice)
    kHidden = 1u << 2,  // not visible when the window is made
};

inline constexpr int kNoId = -1;

struct DialogItem {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8
    int x, y, w, h;    // dialog units
    unsigned style;
};

struct DialogTemplate {
    int id;
    const char* title;
    int w, h;  // dialog units
    std::span<const DialogItem> controls;
};

const DialogTemplate& MainDialogTemplate();   // template 102
const DialogTemplate& AboutDialogTemplate();  // template 100

// Dialog units of the window font to pixels, as the dialog manager maps them: the
// font's average character is 6 × 12 pixels, 4 horizontal and 8 vertical units.
inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 12;
int DialogUnitsToPixelsX(int du);
int DialogUnitsToPixelsY(int du);
