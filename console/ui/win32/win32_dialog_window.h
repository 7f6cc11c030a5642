// The dialog window on Win32: a dialog made from the control table by the
// Windows dialog manager, native controls (comctl32's tab control), its own
// modal message loop (so that the Enter rule sees keys first), and the
// user's clicks, keys and notifications handed to the handlers.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "dialog_window.h"

class LogEditWin32;

class Win32DialogWindow : public DialogWindow {
public:
    Win32DialogWindow(const DialogTemplate& dialogTemplate, DialogHandler& handler);
    ~Win32DialogWindow() override;
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

    HWND Handle() const { return m_hwnd; }

    void SetTitle(std::string_view text) override;
    void SetProgramIcon() override;
    PixelRect GetWindowRect() const override;
    void MoveWindow(const PixelRect& frame) override;
    void AppendSystemMenu(const std::vector<MenuEntry>& entries) override;

    std::string GetItemText(int id) const override;
    void SetItemText(int id, std::string_view text) override;
    void EnableItem(int id, bool enable) override;
    bool IsItemEnabled(int id) const override;
    void ShowItem(int id, bool show) override;
    bool IsItemVisible(int id) const override;
    PixelRect GetItemRect(int id) const override;
    void MoveItem(int id, const PixelRect& rect) override;
    void SetFocus(int id) override;
    void SelectAllText(int id) override;
    int GetFocusId() const override;

    bool IsChecked(int id) const override;
    void SetCheck(int id, bool checked) override;

    void LimitText(int id, std::size_t characters) override;
    void SetHexFilter(int id, bool on) override;
    LogView& LogOf(int id) override;

    void ResetContent(int id) override;
    void AddString(int id, std::string_view text, std::string_view detail) override;
    int GetCount(int id) const override;
    void SetCurSel(int id, int index) override;

    void InsertTab(int id, std::string_view text) override;
    int GetCurTab(int id) const override;
    void SetCurTab(int id, int index) override;

    void MessageBox(std::string_view text) override;
    void ShowAboutBox() override;
    void StartCalculator() override;

    void PostCommand(int id) override;
    int RunModal() override;
    void Show() override;
    void EndDialog(int result) override;
    void PostQuit(std::function<void()> quit) override;
    void Wake() override;
    void SetSystemMenuText(int command, std::string_view text) override;
    std::optional<std::string> GetSaveFileName(std::string_view caption,
                                               std::string_view suggestedName) override;
    void StartTimer(int id, unsigned milliseconds) override;
    void StopTimer(int id) override;

    // The monospaced font of the traffic log, for windows beside this one.
    HFONT LogFont() const { return m_logFont; }
    // The window's display scale, in dots per inch.
    UINT Dpi() const { return m_dpi; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
    // The ID of the window's control that `window` is or lies in (a combo box's edit).
    int ControlIdOf(HWND window) const;
    bool PreTranslateMessage(const MSG& message);
    void Dispatch(MSG& message);
    void DispatchWaitingInput();
    HBRUSH ColourBrush(const RgbColour& colour);
    void MakeFonts();
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    // Pixels at 100% display scale to the window's, and back.
    int Scaled(int pixels) const;
    int Unscaled(int pixels) const;
    void RunQuitWhenNothingIsOnTop();
    void EndBoxesOnTop();
    static BOOL CALLBACK EndBoxOfThread(HWND window, LPARAM mainWindow);

    DialogHandler& m_handler;
    HWND m_hwnd = nullptr;
    HFONT m_windowFont = nullptr;
    HFONT m_logFont = nullptr;
    std::vector<HFONT> m_retiredFonts;
    UINT m_dpi = 96;
    // Each control's place at 100% display scale, where the window last put it.
    std::map<HWND, PixelRect> m_itemRects;
    HICON m_icon = nullptr;
    std::unique_ptr<LogEditWin32> m_log;
    std::map<COLORREF, HBRUSH> m_brushes;
    std::set<int> m_menuCommands;  // the system-menu entries the handlers added
    bool m_bRunning = false;
    bool m_bEnded = false;
    int m_nResult = 0;
    int m_nModalDepth = 0;  // message boxes and the About box on top of the window
    std::function<void()> m_quit;
};
