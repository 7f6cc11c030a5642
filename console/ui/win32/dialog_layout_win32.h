// Where a dialog's controls stand and which fonts they use: the template's
// rectangles in the pixels of its 9-point 宋体 (6 × 12 pixel base units)
// whatever font the system gave the dialog, and that font where the system
// has it, else a CJK font it has at the same 12 pixels; all of it at 100%
// display scale (96 DPI), scaled to `dpi`.
#pragma once

#include <windows.h>

#include <map>

#include "control_template.h"
#include "dialog_window.h"

// Places each control of a dialog made from `dialogTemplate` (its children in
// table order) and sizes the dialog to the template; each control's place at
// 100% display scale.
std::map<HWND, PixelRect> PlaceDialogControls(HWND dialog, const DialogTemplate& dialogTemplate,
                                              UINT dpi);
// A control placed at `rect` (at 100% display scale), scaled to `dpi`.
void PlaceControl(HWND control, const PixelRect& rect, UINT dpi, bool redraw = false);

HFONT CreateWindowFont(UINT dpi);
// Monospaced, with │ ─ ┼ two columns wide: the traffic log's.
HFONT CreateLogFont(UINT dpi);
// Every control of `dialog` in `font`.
void SetDialogFont(HWND dialog, HFONT font);
