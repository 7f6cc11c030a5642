// The hex edits of the send rows on a Windows edit control: typed characters
// are kept to hexadecimal digits and blanks (upper-cased) while the filter is
// on and Control is up; whatever the filter, no character without a GBK form
// gets in, typed, composed or pasted. A row is one line: of text that comes in
// at once (a paste, the context menu's Paste, an input method's result, an
// EM_REPLACESEL) only what comes before its first line break is taken, and no
// control character is ever typed into it. The control's own limit
// (EM_LIMITTEXT) caps what the user types and pastes, and what another
// program puts in with WM_SETTEXT, which is taken as a paste.
//
// A change that came by none of these messages (Windows' context menu inserts
// its Unicode control characters by itself; an input method may insert text
// directly) is caught when the edit tells its parent EN_UPDATE: what it
// brought in is then kept as a paste would be, less its control characters.
#pragma once

#include <windows.h>

// Takes over the edit's messages; the edit keeps its state until it goes.
void MakeHexEdit(HWND edit);
void SetHexEditFilter(HWND edit, bool on);
bool IsHexEdit(HWND edit);
// The parent's part on EN_UPDATE: a change that came by another way is put
// right. Nothing happens to a change the edit's own messages made.
void KeepHexEditWithinRules(HWND edit);
