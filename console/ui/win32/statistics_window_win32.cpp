// The loop statistics window on Win32: an owned, captioned popup over a
// read-only multi-line edit in the traffic log's font; its close box hides it.
#include <windows.h>

#include <algorithm>
#include <string>

#include "dialog_template_win32.h"
#include "display_scale_win32.h"
#include "statistics_window.h"
#include "win32_dialog_window.h"

namespace {

constexpr const wchar_t* kClassName = L"QuillardStatistics";
constexpr int kMargin = 8;  // at 100% display scale

LRESULT CALLBACK StatisticsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_CLOSE: ShowWindow(window, SW_HIDE); return 0;
        case WM_SIZE: {
            HWND text = GetWindow(window, GW_CHILD);
            MoveWindow(text, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        }
        case kDpiChangedMessage: {  // on a monitor of another scale: the size it suggests
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CTLCOLORSTATIC:  // the read-only edit keeps a white page
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

class StatisticsWindowWin32 : public StatisticsWindow {
public:
    explicit StatisticsWindowWin32(Win32DialogWindow& owner)
        : m_owner(owner), m_font(owner.LogFont())
    {
        static const ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = StatisticsProc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
            windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            windowClass.lpszClassName = kClassName;
            return RegisterClassW(&windowClass);
        }();
        static_cast<void>(registered);
        m_window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"",
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                                   CW_USEDEFAULT, CW_USEDEFAULT, ScaledToDpi(400, owner.Dpi()),
                                   ScaledToDpi(300, owner.Dpi()), owner.Handle(), nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        m_text =
            CreateWindowExW(0, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                            0, 0, 400, 300, m_window, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(m_text, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }
    ~StatisticsWindowWin32() override
    {
        if (m_window) DestroyWindow(m_window);
    }
    StatisticsWindowWin32(const StatisticsWindowWin32&) = delete;
    StatisticsWindowWin32& operator=(const StatisticsWindowWin32&) = delete;

    void SetTitle(std::string_view text) override { SetWindowTextW(m_window, Widen(text).c_str()); }

    // The edit's lines end in CR LF; the window is sized to the text the
    // first time it has one, as far as the screen allows.
    void SetText(std::string_view text) override
    {
        std::wstring lines;
        for (wchar_t c : Widen(text)) {
            if (c == L'\n') lines += L'\r';
            lines += c;
        }
        if (m_font != m_owner.LogFont()) {  // the window's scale changed
            m_font = m_owner.LogFont();
            SendMessageW(m_text, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        }
        SetWindowTextW(m_text, lines.c_str());
        if (!m_bSized && !lines.empty()) {
            m_bSized = true;
            SizeToText(lines);
        }
    }

    void Show() override
    {
        ShowWindow(m_window, SW_SHOWNA);
        SetWindowPos(m_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    bool IsVisible() const override { return IsWindowVisible(m_window) != FALSE; }

private:
    void SizeToText(const std::wstring& lines)
    {
        HDC dc = GetDC(m_text);
        HGDIOBJ old = SelectObject(dc, m_font);
        RECT needed{0, 0, 0, 0};
        DrawTextW(dc, lines.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
        SelectObject(dc, old);
        ReleaseDC(m_text, dc);
        const int margin = ScaledToDpi(kMargin, m_owner.Dpi());
        RECT frame{0, 0, needed.right + 2 * margin + GetSystemMetrics(SM_CXVSCROLL),
                   needed.bottom + 2 * margin + GetSystemMetrics(SM_CYHSCROLL)};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)),
                           FALSE, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE)));
        const int width = std::min<int>(frame.right - frame.left, GetSystemMetrics(SM_CXSCREEN));
        const int height = std::min<int>(frame.bottom - frame.top, GetSystemMetrics(SM_CYSCREEN));
        SetWindowPos(m_window, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    Win32DialogWindow& m_owner;
    HFONT m_font;
    HWND m_window = nullptr;
    HWND m_text = nullptr;
    bool m_bSized = false;
};

}  // namespace

std::unique_ptr<StatisticsWindow> CreateStatisticsWindow(DialogWindow& owner)
{
    return std::make_unique<StatisticsWindowWin32>(static_cast<Win32DialogWindow&>(owner));
}
