#include "dialog_layout_win32.h"

#include "display_scale_win32.h"

#include <initializer_list>
#include <string>

namespace {

int CALLBACK FamilyFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The first of `families` that this system has, or the last one.
std::wstring InstalledFamily(std::initializer_list<const wchar_t*> families)
{
    HDC screen = GetDC(nullptr);
    const wchar_t* chosen = nullptr;
    for (const wchar_t* family : families) {
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(wanted.lfFaceName, family, LF_FACESIZE);
        bool found = false;
        EnumFontFamiliesExW(screen, &wanted, FamilyFound, reinterpret_cast<LPARAM>(&found), 0);
        chosen = family;
        if (found) break;
    }
    ReleaseDC(nullptr, screen);
    return chosen;
}

// `height` negative: the size of the characters (the em); positive: the
// height of a line (the cell, the em and the room above it).
HFONT CreatePixelFont(const std::wstring& family, DWORD pitch, int height)
{
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch,
                       family.c_str());
}

BOOL CALLBACK SetControlFont(HWND control, LPARAM font)
{
    SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

}  // namespace

std::map<HWND, PixelRect> PlaceDialogControls(HWND dialog, const DialogTemplate& dialogTemplate,
                                              UINT dpi)
{
    std::map<HWND, PixelRect> placed;
    HWND control = GetWindow(dialog, GW_CHILD);  // the first made
    for (const DialogItem& item : dialogTemplate.controls) {
        if (!control) break;
        const int left = DialogUnitsToPixelsX(item.x);
        const int top = DialogUnitsToPixelsY(item.y);
        placed[control] = {left, top, DialogUnitsToPixelsX(item.x + item.w) - left,
                           DialogUnitsToPixelsY(item.y + item.h) - top};
        PlaceControl(control, placed[control], dpi);
        control = GetWindow(control, GW_HWNDNEXT);
    }
    RECT frame{0, 0, ScaledToDpi(DialogUnitsToPixelsX(dialogTemplate.w), dpi),
               ScaledToDpi(DialogUnitsToPixelsY(dialogTemplate.h), dpi)};
    AdjustWindowRectForDpi(frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)),
                           static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)), dpi);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return placed;
}

void PlaceControl(HWND control, const PixelRect& rect, UINT dpi, bool redraw)
{
    const int left = ScaledToDpi(rect.x, dpi);
    const int top = ScaledToDpi(rect.y, dpi);
    MoveWindow(control, left, top, ScaledToDpi(rect.x + rect.w, dpi) - left,
               ScaledToDpi(rect.y + rect.h, dpi) - top, redraw);
}

// A line as high as one of 宋体 at 12 pixels, whose characters fill it: the
// template's static texts are that high. A CJK font that leaves room above
// its characters is chosen smaller, so that no line is cut at the foot.
HFONT CreateWindowFont(UINT dpi)
{
    return CreatePixelFont(InstalledFamily({L"宋体", L"SimSun", L"WenQuanYi Micro Hei",
                                            L"Noto Sans CJK SC", L"Microsoft YaHei"}),
                           DEFAULT_PITCH | FF_DONTCARE, ScaledToDpi(12, dpi));
}

HFONT CreateLogFont(UINT dpi)
{
    return CreatePixelFont(
        InstalledFamily({L"NSimSun", L"新宋体", L"Noto Sans Mono CJK SC", L"Courier New"}),
        FIXED_PITCH | FF_MODERN, -ScaledToDpi(12, dpi));
}

void SetDialogFont(HWND dialog, HFONT font)
{
    EnumChildWindows(dialog, SetControlFont, reinterpret_cast<LPARAM>(font));
}
