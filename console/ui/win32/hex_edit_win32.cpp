#include "hex_edit_win32.h"

#include <imm.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "dialog_template_win32.h"
#include "edit_change.h"
#include "quillard/text_encoding.h"

namespace {

constexpr const wchar_t* kStateProperty = L"QuillardHexEdit";

struct HexEditState {
    WNDPROC original = nullptr;
    bool filter = true;
    bool controlDown = false;
    bool droppingLowHalf = false;  // the second half of a character that was dropped
    int rulesApplied = 0;          // inside a message whose text has been put right
    std::wstring shown;            // the text after the last change that kept the rules
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

// The control characters that reach the edit: Backspace, and Control+A, C, V,
// X and Z (select all, copy, paste, cut, undo). Any other (Enter's CR,
// Control+Enter's LF, Tab, Control+Backspace's DEL) never gets into the text.
bool IsEditingKey(wchar_t c)
{
    switch (c) {
        case L'\b':
        case 0x01:
        case 0x03:
        case 0x16:
        case 0x18:
        case 0x1A: return true;
        default: return false;
    }
}

// A character message: the character to pass on, or 0 to drop it.
wchar_t KeptCharacter(HexEditState& state, wchar_t c)
{
    if (state.droppingLowHalf && IS_LOW_SURROGATE(c)) {
        state.droppingLowHalf = false;
        return 0;
    }
    state.droppingLowHalf = false;
    if (c < L' ' || c == 0x7F) return IsEditingKey(c) ? c : 0;
    if (IS_HIGH_SURROGATE(c)) {  // beyond 16 bits: no GBK form
        state.droppingLowHalf = true;
        return 0;
    }
    if (!HasGbkForm(c)) return 0;
    if (state.filter && !state.controlDown) return FilteredHexCharacter(c);
    return c;
}

// The text before its first line break (CR or LF), as a Windows single-line
// edit takes a paste (Wine's cuts only at an LF). No edit cuts a replacement
// or an input method's result so: the hex edit does it for every way in.
std::wstring_view FirstLine(std::wstring_view text)
{
    return text.substr(0, text.find_first_of(L"\r\n"));
}

// Pasted text as the edit takes it: its first line, less the characters
// without a GBK form. A paste is not filtered otherwise.
std::wstring PastedTextKept(std::wstring_view text)
{
    return Widen(KeepGbkCharacters(Narrow(FirstLine(text))));
}

std::wstring ClipboardText(HWND owner)
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
    return text;
}

// The input method's result string, composed text: its first line, each
// character kept as a typed one is.
std::wstring ComposedTextKept(HexEditState& state, HWND edit)
{
    std::wstring result;
    if (HIMC context = ImmGetContext(edit)) {
        const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
        if (bytes > 0) {
            result.resize(static_cast<std::size_t>(bytes) / sizeof(wchar_t));
            ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(),
                                     static_cast<DWORD>(bytes));
        }
        ImmReleaseContext(edit, context);
    }
    std::wstring kept;
    state.droppingLowHalf = false;
    for (const wchar_t c : FirstLine(result))
        if (const wchar_t k = KeptCharacter(state, c); k >= L' ') kept += k;
    state.droppingLowHalf = false;
    return kept;
}

// The edit's own handling of a message whose text has been put right
// already: the change it makes is taken as it is.
LRESULT CallWithRulesApplied(HexEditState& state, HWND edit, UINT message, WPARAM wParam,
                             LPARAM lParam)
{
    ++state.rulesApplied;
    const LRESULT result = CallWindowProcW(state.original, edit, message, wParam, lParam);
    --state.rulesApplied;
    state.shown = WindowText(edit);
    return result;
}

void ReplaceSelection(HexEditState& state, HWND edit, const std::wstring& text)
{
    CallWithRulesApplied(state, edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// Text cut to the `room` the edit's limit leaves, never between the halves of
// a character.
std::wstring WithinRoom(std::wstring text, std::size_t room)
{
    if (text.size() <= room) return text;
    text.resize(room);
    if (!text.empty() && IS_HIGH_SURROGATE(text.back())) text.pop_back();
    return text;
}

std::size_t LimitOf(HWND edit)
{
    return static_cast<std::size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
}

// What a change by another way brought in, as a paste is kept, less its
// control characters (the context menu's record and unit separators).
std::wstring BroughtTextKept(std::wstring_view brought)
{
    std::wstring kept = PastedTextKept(brought);
    std::erase_if(kept, [](wchar_t c) { return c < L' ' || c == 0x7F; });
    return kept;
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
            return CallWithRulesApplied(*state, edit, message, kept, lParam);
        }
        case WM_PASTE:  // Control+V and the context menu's Paste alike
            // the edit's limit cuts it as it cuts any replacement
            ReplaceSelection(*state, edit, PastedTextKept(ClipboardText(edit)));
            return 0;
        case EM_REPLACESEL: {
            const auto* text = reinterpret_cast<const wchar_t*>(lParam);
            const std::wstring kept = text ? PastedTextKept(text) : std::wstring();
            return CallWithRulesApplied(*state, edit, message, wParam,
                                        reinterpret_cast<LPARAM>(kept.c_str()));
        }
        case WM_SETTEXT: {
            // The window's own text (a row from the history) is taken as it
            // is; another program's is a paste over the whole text.
            const auto* text = reinterpret_cast<const wchar_t*>(lParam);
            if (!InSendMessage() || !text)
                return CallWithRulesApplied(*state, edit, message, wParam, lParam);
            const std::wstring kept = WithinRoom(PastedTextKept(text), LimitOf(edit));
            return CallWithRulesApplied(*state, edit, message, wParam,
                                        reinterpret_cast<LPARAM>(kept.c_str()));
        }
        case WM_UNDO:
        case EM_UNDO:  // what it brings back was in the text before
            return CallWithRulesApplied(*state, edit, message, wParam, lParam);
        case WM_IME_COMPOSITION: {
            // The result is put in here, as one replacement; left to the edit,
            // it would come as one WM_IME_CHAR a character, lines and all.
            constexpr LPARAM kResult =
                GCS_RESULTSTR | GCS_RESULTCLAUSE | GCS_RESULTREADSTR | GCS_RESULTREADCLAUSE;
            if (!(lParam & GCS_RESULTSTR)) break;
            // as with typing, nothing kept leaves the selection alone
            if (const std::wstring kept = ComposedTextKept(*state, edit); !kept.empty())
                ReplaceSelection(*state, edit, kept);
            lParam &= ~kResult;
            if (!lParam) return 0;
            break;
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
    state->shown = WindowText(edit);
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

void KeepHexEditWithinRules(HWND edit)
{
    HexEditState* state = StateOf(edit);
    if (!state || state->rulesApplied > 0) return;
    const std::wstring edited = WindowText(edit);
    const EditChange change = FindEditChange(
        {reinterpret_cast<const char16_t*>(state->shown.data()), state->shown.size()},
        {reinterpret_cast<const char16_t*>(edited.data()), edited.size()});
    const std::size_t prefix = change.start;
    const std::wstring_view brought = std::wstring_view(edited).substr(prefix, change.length);
    const std::size_t rest = edited.size() - brought.size();
    const std::size_t limit = LimitOf(edit);
    const std::wstring kept = WithinRoom(BroughtTextKept(brought), limit > rest ? limit - rest : 0);
    if (kept == brought) {
        state->shown = edited;
        return;
    }
    const std::wstring right =
        edited.substr(0, prefix) + kept + edited.substr(prefix + brought.size());
    CallWithRulesApplied(*state, edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(right.c_str()));
    const auto caret = static_cast<WPARAM>(prefix + kept.size());
    CallWindowProcW(state->original, edit, EM_SETSEL, caret, static_cast<LPARAM>(caret));
}
