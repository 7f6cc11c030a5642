// The display scale of a window, in dots per inch (96 at 100%), for a program
// that scales itself: every pixel size of the layout and the fonts is given at
// 96 and scaled to the window's monitor. The calls of newer systems are looked
// up at run time, so that the program still starts on Windows 7.
#pragma once

#include <windows.h>

inline constexpr UINT kBaseDpi = 96;

// The scale of the monitor the window is on (GetDpiForWindow), else the system's.
UINT WindowDpi(HWND window);
// `pixels` at 96 DPI, at `dpi`.
int ScaledToDpi(int pixels, UINT dpi);
// The frame of a window whose client area is `rect`, at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);
// A dialog that places and scales its controls itself when its monitor's scale
// changes: the system leaves its fonts and controls alone.
void KeepSystemFromRescalingDialog(HWND dialog);

// The DPI change message, which older headers may lack.
inline constexpr UINT kDpiChangedMessage = 0x02E0;
