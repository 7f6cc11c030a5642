#include "hex_edit_win32.h"

#include <memory>
#include <string>

#include "dialog_template_win32.h"
#include "quillard/text_encoding.h"

namespace {

constexpr const wchar_t* kStateProperty = L"QuillardHexEdit";

struct HexEditState {
    WNDPROC original = nullptr;
    bool filter = true;
    bool controlDown = false;
    bool droppingLowHalf = false;  // the second half of a character that was dropped
};

HexEditState* StateOf(HWND edit)
{
    return static_cast<HexEditState*>(GetPropW(edit, kStateProperty));
}

bool HasGbkForm(wchar_t c)
{
    const wchar_t text[] = {c, 0};
    return Utf8ToGbk(Narrow(text)).has_value();
}

// What a filtering edit makes of a typed character: blanks, digits and A to F
// kept, a to f upper-cased, everything else dropped (0).
wchar_t FilteredHexCharacter(wchar_t c)
{
    if (c == L' ' || (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F')) return c;
    if (c >= L'a' && c <= L'f') return static_cast<wchar_t>(c - L'a' + L'A');
    return 0;
}

// A character message: the character to pass on, or 0 to drop it.
wchar_t KeptCharacter(HexEditState& state, wchar_t c)
{
    if (state.droppingLowHalf && IS_LOW_SURROGATE(c)) {
        state.droppingLowHalf = false;
        return 0;
    }
    state.droppingLowHalf = false;
    if (c == L'\b' || c < L' ') return c;  // Backspace and the Control shortcuts
    if (IS_HIGH_SURROGATE(c)) {            // beyond 16 bits: no GBK form
        state.droppingLowHalf = true;
        return 0;
    }
    if (!HasGbkForm(c)) return 0;
    if (state.filter && !state.controlDown) return FilteredHexCharacter(c);
    return c;
}

// The clipboard's text, less the characters without a GBK form.
std::wstring ClipboardTextKept(HWND owner)
{
    std::wstring text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return Widen(KeepGbkCharacters(Narrow(text)));
}

LRESULT CALLBACK HexEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    HexEditState* state = StateOf(edit);
    const WNDPROC original = state->original;
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_CONTROL) state->controlDown = true;
            break;
        case WM_KEYUP:
            if (wParam == VK_CONTROL) state->controlDown = false;
            break;
        case WM_KILLFOCUS:  // a Control key released elsewhere must not leave the filter off
            state->controlDown = false;
            break;
        case WM_CHAR:
        case WM_IME_CHAR: {
            const wchar_t kept = KeptCharacter(*state, static_cast<wchar_t>(wParam));
            if (!kept) return 0;
            wParam = kept;
            break;
        }
        case WM_PASTE: {
            // a paste is not filtered, but what has no GBK form stays out;
            // the edit's limit cuts it as it cuts any replacement
            const std::wstring kept = ClipboardTextKept(edit);
            CallWindowProcW(original, edit, EM_REPLACESEL, TRUE,
                            reinterpret_cast<LPARAM>(kept.c_str()));
            return 0;
        }
        case WM_NCDESTROY: {
            RemovePropW(edit, kStateProperty);
            std::unique_ptr<HexEditState> owned(state);
            SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            return CallWindowProcW(original, edit, message, wParam, lParam);
        }
        default: break;
    }
    return CallWindowProcW(original, edit, message, wParam, lParam);
}

}  // namespace

void MakeHexEdit(HWND edit)
{
    auto state = std::make_unique<HexEditState>();
    state->original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
    SetPropW(edit, kStateProperty, state.release());
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HexEditProc));
}

void SetHexEditFilter(HWND edit, bool on)
{
    if (HexEditState* state = StateOf(edit)) state->filter = on;
}

bool IsHexEdit(HWND edit)
{
    return StateOf(edit) != nullptr;
}
