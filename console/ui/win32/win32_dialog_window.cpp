#include "win32_dialog_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>

#include "dialog_layout_win32.h"
#include "dialog_template_win32.h"
#include "display_scale_win32.h"
#include "hex_edit_win32.h"
#include "log_edit_win32.h"

namespace {

constexpr const wchar_t* kProgramName = L"Quillard";
constexpr UINT kWakeMessage = WM_APP + 1;
constexpr UINT kQuitMessage = WM_APP + 2;
constexpr UINT_PTR kQuitTimer = 0x7FFF;  // the handlers' timers have their own IDs
constexpr int kMostInputPerWake = 64;
constexpr WORD kProgramIconResource = 128;

HINSTANCE ProgramInstance()
{
    return GetModuleHandleW(nullptr);
}

// The About box: OK and Escape close it; its controls are placed and drawn
// as the main window's are. `lParam` of WM_INITDIALOG is the font.
INT_PTR CALLBACK AboutProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_INITDIALOG: {
            const UINT dpi = WindowDpi(hwnd);
            PlaceDialogControls(hwnd, AboutDialogTemplate(), dpi);
            SetDialogFont(hwnd, reinterpret_cast<HFONT>(lParam));
            // the icon as large as its place lets it be
            HWND icon = GetWindow(hwnd, GW_CHILD);
            RECT place{};
            GetClientRect(icon, &place);
            const int side = std::min(place.right, place.bottom);
            auto image = static_cast<HICON>(LoadImageW(ProgramInstance(),
                                                       MAKEINTRESOURCEW(kProgramIconResource),
                                                       IMAGE_ICON, side, side, LR_SHARED));
            SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(image), 0);
            MoveWindow(icon, ScaledToDpi(DialogUnitsToPixelsX(11), dpi),
                       ScaledToDpi(DialogUnitsToPixelsY(14), dpi), side, side, FALSE);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(hwnd, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace

std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                 DialogHandler& handler)
{
    return std::make_unique<Win32DialogWindow>(dialogTemplate, handler);
}

Win32DialogWindow::Win32DialogWindow(const DialogTemplate& dialogTemplate, DialogHandler& handler)
    : m_handler(handler)
{
    const std::vector<WORD> layout = BuildDialogTemplate(
        dialogTemplate, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME,
        WS_EX_APPWINDOW);
    m_hwnd = CreateDialogIndirectParamW(ProgramInstance(),
                                        reinterpret_cast<const DLGTEMPLATE*>(layout.data()),
                                        nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    if (!m_hwnd) return;
    m_dpi = WindowDpi(m_hwnd);
    KeepSystemFromRescalingDialog(m_hwnd);
    m_itemRects = PlaceDialogControls(m_hwnd, dialogTemplate, m_dpi);
    for (const DialogItem& item : dialogTemplate.controls) {
        if (item.kind == ControlKind::kHexEdit) MakeHexEdit(Item(item.id));
        if (item.kind == ControlKind::kLogEdit && !m_log)
            m_log = std::make_unique<LogEditWin32>(Item(item.id));
        if (item.kind == ControlKind::kTabControl)  // under the controls it frames
            SetWindowPos(Item(item.id), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    MakeFonts();
    SendMessageW(m_hwnd, DM_SETDEFID, IDOK, 0);
}

// The window's fonts at its scale, given to its controls; the fonts they
// had stay until the window goes (a window beside it may still use one).
void Win32DialogWindow::MakeFonts()
{
    if (m_windowFont) m_retiredFonts.push_back(m_windowFont);
    if (m_logFont) m_retiredFonts.push_back(m_logFont);
    m_windowFont = CreateWindowFont(m_dpi);
    m_logFont = CreateLogFont(m_dpi);
    SetDialogFont(m_hwnd, m_windowFont);
    if (m_log)
        SendMessageW(m_log->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(m_logFont), FALSE);
}

// The window moved to a monitor of another scale (or the scale changed): its
// fonts and controls are made again at the new scale, each control where the
// window last put it, and the window takes the rectangle the system suggests.
void Win32DialogWindow::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    if (dpi == 0 || dpi == m_dpi) return;
    m_dpi = dpi;
    MakeFonts();
    for (const auto& [control, rect] : m_itemRects)
        PlaceControl(control, rect, m_dpi);
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

int Win32DialogWindow::Scaled(int pixels) const
{
    return ScaledToDpi(pixels, m_dpi);
}

int Win32DialogWindow::Unscaled(int pixels) const
{
    return MulDiv(pixels, static_cast<int>(kBaseDpi), static_cast<int>(m_dpi));
}

Win32DialogWindow::~Win32DialogWindow()
{
    if (m_hwnd) DestroyWindow(m_hwnd);
    if (m_logFont) DeleteObject(m_logFont);
    if (m_windowFont) DeleteObject(m_windowFont);
    for (HFONT font : m_retiredFonts)
        DeleteObject(font);
    for (const auto& [colour, brush] : m_brushes)
        DeleteObject(brush);
    if (m_icon) DestroyIcon(m_icon);
}

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return FALSE;  // the focus is set when the window is shown
    }
    auto* window = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return window ? window->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR Win32DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (code == BN_CLICKED)
                m_handler.OnCommand(id);  // buttons, menu commands, posted clicks
            else if (code == CBN_EDITCHANGE)
                m_handler.OnNotify(id, DialogNotification::kEditChanged);
            else if (code == EN_UPDATE && IsHexEdit(reinterpret_cast<HWND>(lParam)))
                KeepHexEditWithinRules(reinterpret_cast<HWND>(lParam));
            return TRUE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == TCN_SELCHANGE)
                m_handler.OnNotify(static_cast<int>(header->idFrom),
                                   DialogNotification::kTabSelectionChanged);
            return FALSE;
        }
        case WM_CLOSE: m_handler.OnCommand(IDCANCEL); return TRUE;
        case WM_SYSCOMMAND: {
            // the low four bits of a system command are the system's own
            const int command = static_cast<int>(wParam);
            if (!m_menuCommands.count(command) && !m_menuCommands.count(command & 0xFFF0))
                return FALSE;
            m_handler.OnSysCommand(command);
            return TRUE;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            auto control = reinterpret_cast<HWND>(lParam);
            if (!IsWindowEnabled(control)) return FALSE;
            const auto colour = m_handler.ControlColour(GetDlgCtrlID(control));
            if (!colour) return FALSE;
            auto dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, RGB(colour->r, colour->g, colour->b));
            return reinterpret_cast<INT_PTR>(ColourBrush(*colour));
        }
        case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(m_icon);
        case kDpiChangedMessage:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        // Log-off or shutdown: first asked (the rows are saved, the session
        // may still go on), then told; whatever box is open then goes too.
        case WM_QUERYENDSESSION:
            m_handler.OnEndSession(false);
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) {
                m_handler.OnEndSession(true);
                EndBoxesOnTop();
            }
            return TRUE;
        case kWakeMessage:
            DispatchWaitingInput();
            m_handler.OnWake();
            return TRUE;
        case WM_TIMER:
            if (wParam != kQuitTimer) {
                m_handler.OnTimer(static_cast<int>(wParam));
                return TRUE;
            }
            KillTimer(m_hwnd, kQuitTimer);
            RunQuitWhenNothingIsOnTop();
            return TRUE;
        case kQuitMessage: RunQuitWhenNothingIsOnTop(); return TRUE;
        default: return FALSE;
    }
}

HBRUSH Win32DialogWindow::ColourBrush(const RgbColour& colour)
{
    const COLORREF rgb = RGB(colour.r, colour.g, colour.b);
    auto found = m_brushes.find(rgb);
    if (found == m_brushes.end()) found = m_brushes.emplace(rgb, CreateSolidBrush(rgb)).first;
    return found->second;
}

int Win32DialogWindow::ControlIdOf(HWND window) const
{
    while (window && GetParent(window) != m_hwnd) {
        if (window == m_hwnd) return kNoId;
        window = GetParent(window);
    }
    return window ? GetDlgCtrlID(window) : kNoId;
}

bool Win32DialogWindow::PreTranslateMessage(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
    const int id = ControlIdOf(message.hwnd);
    return id != kNoId && m_handler.PreTranslateKeyDown(id, DialogKey::kEnter);
}

void Win32DialogWindow::SetTitle(std::string_view text)
{
    SetWindowTextW(m_hwnd, Widen(text).c_str());
}

void Win32DialogWindow::SetProgramIcon()
{
    if (!m_icon)
        m_icon =
            static_cast<HICON>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(kProgramIconResource),
                                          IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
}

// Sizes are at 100% display scale, as the handlers give them; the position is
// the screen's own.
PixelRect Win32DialogWindow::GetWindowRect() const
{
    RECT rect{};
    ::GetWindowRect(m_hwnd, &rect);
    return {rect.left, rect.top, Unscaled(rect.right - rect.left),
            Unscaled(rect.bottom - rect.top)};
}

void Win32DialogWindow::MoveWindow(const PixelRect& frame)
{
    ::MoveWindow(m_hwnd, frame.x, frame.y, Scaled(frame.w), Scaled(frame.h), TRUE);
}

void Win32DialogWindow::AppendSystemMenu(const std::vector<MenuEntry>& entries)
{
    HMENU menu = GetSystemMenu(m_hwnd, FALSE);
    if (!menu) return;
    for (const MenuEntry& entry : entries) {
        if (entry.text.empty()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.command),
                    Widen(entry.text).c_str());
        m_menuCommands.insert(entry.command);
    }
}

std::string Win32DialogWindow::GetItemText(int id) const
{
    return Narrow(WindowText(Item(id)));
}

void Win32DialogWindow::SetItemText(int id, std::string_view text)
{
    SetWindowTextW(Item(id), Widen(text).c_str());
}

void Win32DialogWindow::EnableItem(int id, bool enable)
{
    EnableWindow(Item(id), enable);
}

bool Win32DialogWindow::IsItemEnabled(int id) const
{
    return IsWindowEnabled(Item(id));
}

void Win32DialogWindow::ShowItem(int id, bool show)
{
    ShowWindow(Item(id), show ? SW_SHOWNA : SW_HIDE);
}

// Shown as a child of the window, also while the window itself is not shown.
bool Win32DialogWindow::IsItemVisible(int id) const
{
    return (GetWindowLongPtrW(Item(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// A control's place at 100% display scale, where the window last put it.
PixelRect Win32DialogWindow::GetItemRect(int id) const
{
    const auto placed = m_itemRects.find(Item(id));
    if (placed != m_itemRects.end()) return placed->second;
    RECT rect{};
    ::GetWindowRect(Item(id), &rect);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
    return {Unscaled(rect.left), Unscaled(rect.top), Unscaled(rect.right - rect.left),
            Unscaled(rect.bottom - rect.top)};
}

void Win32DialogWindow::MoveItem(int id, const PixelRect& rect)
{
    HWND control = Item(id);
    m_itemRects[control] = rect;
    PlaceControl(control, rect, m_dpi, true);
}

void Win32DialogWindow::SetFocus(int id)
{
    SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

void Win32DialogWindow::SelectAllText(int id)
{
    SendMessageW(Item(id), EM_SETSEL, 0, -1);
}

int Win32DialogWindow::GetFocusId() const
{
    return ControlIdOf(GetFocus());
}

bool Win32DialogWindow::IsChecked(int id) const
{
    return IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED;
}

void Win32DialogWindow::SetCheck(int id, bool checked)
{
    CheckDlgButton(m_hwnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32DialogWindow::LimitText(int id, std::size_t characters)
{
    SendMessageW(Item(id), EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void Win32DialogWindow::SetHexFilter(int id, bool on)
{
    SetHexEditFilter(Item(id), on);
}

LogView& Win32DialogWindow::LogOf(int)
{
    return *m_log;
}

void Win32DialogWindow::ResetContent(int id)
{
    SendMessageW(Item(id), CB_RESETCONTENT, 0, 0);
}

// The entry's text only: a Windows COM port name needs no device beside it.
void Win32DialogWindow::AddString(int id, std::string_view text, std::string_view)
{
    const std::wstring entry = Widen(text);
    SendMessageW(Item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

int Win32DialogWindow::GetCount(int id) const
{
    return static_cast<int>(SendMessageW(Item(id), CB_GETCOUNT, 0, 0));
}

void Win32DialogWindow::SetCurSel(int id, int index)
{
    SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32DialogWindow::InsertTab(int id, std::string_view text)
{
    std::wstring label = Widen(text);
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = label.data();
    HWND tabs = Item(id);
    const auto at = static_cast<WPARAM>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    SendMessageW(tabs, TCM_INSERTITEMW, at, reinterpret_cast<LPARAM>(&tab));
}

int Win32DialogWindow::GetCurTab(int id) const
{
    return static_cast<int>(SendMessageW(Item(id), TCM_GETCURSEL, 0, 0));
}

void Win32DialogWindow::SetCurTab(int id, int index)
{
    SendMessageW(Item(id), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32DialogWindow::MessageBox(std::string_view text)
{
    ++m_nModalDepth;
    MessageBoxW(m_hwnd, Widen(text).c_str(), kProgramName, MB_OK);
    --m_nModalDepth;
}

void Win32DialogWindow::ShowAboutBox()
{
    const std::vector<WORD> layout = BuildDialogTemplate(
        AboutDialogTemplate(), WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0);
    ++m_nModalDepth;
    DialogBoxIndirectParamW(ProgramInstance(), reinterpret_cast<const DLGTEMPLATE*>(layout.data()),
                            m_hwnd, AboutProc, reinterpret_cast<LPARAM>(m_windowFont));
    --m_nModalDepth;
}

void Win32DialogWindow::StartCalculator()
{
    WinExec("calc.exe", SW_SHOW);
}

void Win32DialogWindow::PostCommand(int id)
{
    PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(id)));
}

// The dialog's modal loop: each message goes first to the Enter rule, then to
// the dialog manager (Tab, Escape, Enter as the OK command), then to its window.
int Win32DialogWindow::RunModal()
{
    if (m_bEnded) return m_nResult;  // ended before it ran (the session's end)
    Show();
    m_bRunning = true;
    MSG message;
    while (m_bRunning && GetMessageW(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
    return m_nResult;
}

void Win32DialogWindow::Dispatch(MSG& message)
{
    if (PreTranslateMessage(message) || IsDialogMessageW(m_hwnd, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

// A posted wake-up comes before the user's keys and clicks and before any
// drawing: a worker that keeps the window thread busy would shut them out.
// So what waits of them goes first. Inside a message box its own loop has
// the keys.
void Win32DialogWindow::DispatchWaitingInput()
{
    if (m_nModalDepth > 0) return;
    MSG message;
    for (int n = 0; n < kMostInputPerWake && m_bRunning &&
                    PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT | PM_QS_PAINT);
         ++n)
        Dispatch(message);
}

void Win32DialogWindow::Show()
{
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    // as the dialog manager does: the focus on the first control that takes it
    SendMessageW(m_hwnd, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetNextDlgTabItem(m_hwnd, nullptr, FALSE)), TRUE);
}

void Win32DialogWindow::EndDialog(int result)
{
    m_bEnded = true;
    m_nResult = result;
    m_bRunning = false;
    ShowWindow(m_hwnd, SW_HIDE);
    PostMessageW(m_hwnd, WM_NULL, 0, 0);  // the loop looks at its flag again
}

BOOL CALLBACK Win32DialogWindow::EndBoxOfThread(HWND window, LPARAM mainWindow)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (window != reinterpret_cast<HWND>(mainWindow) && lstrcmpW(className, L"#32770") == 0)
        ::EndDialog(window, IDOK);
    return TRUE;
}

// The message boxes and the About box of this thread end, with OK.
void Win32DialogWindow::EndBoxesOnTop()
{
    if (m_nModalDepth > 0)
        EnumThreadWindows(GetCurrentThreadId(), EndBoxOfThread, reinterpret_cast<LPARAM>(m_hwnd));
}

void Win32DialogWindow::PostQuit(std::function<void()> quit)
{
    m_quit = std::move(quit);
    PostMessageW(m_hwnd, kQuitMessage, 0, 0);
}

// A message box shown with the request is still read before the window goes.
void Win32DialogWindow::RunQuitWhenNothingIsOnTop()
{
    if (!m_quit) return;
    if (m_nModalDepth > 0) {
        SetTimer(m_hwnd, kQuitTimer, 50, nullptr);
        return;
    }
    const std::function<void()> quit = std::move(m_quit);
    m_quit = nullptr;
    quit();
}

void Win32DialogWindow::Wake()
{
    PostMessageW(m_hwnd, kWakeMessage, 0, 0);
}

void Win32DialogWindow::SetSystemMenuText(int command, std::string_view text)
{
    HMENU menu = GetSystemMenu(m_hwnd, FALSE);
    if (!menu || !m_menuCommands.count(command)) return;
    ModifyMenuW(menu, static_cast<UINT>(command), MF_BYCOMMAND | MF_STRING,
                static_cast<UINT_PTR>(command), Widen(text).c_str());
}

std::optional<std::string> Win32DialogWindow::GetSaveFileName(std::string_view caption,
                                                              std::string_view suggestedName)
{
    std::wstring file = Widen(suggestedName);
    file.resize(MAX_PATH * 4, L'\0');
    const std::wstring title = Widen(caption);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hwnd;
    dialog.lpstrFilter = L"*.log\0*.log\0*.*\0*.*\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = L"log";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    ++m_nModalDepth;
    const BOOL chosen = GetSaveFileNameW(&dialog);
    --m_nModalDepth;
    if (!chosen) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return Narrow(file);
}

void Win32DialogWindow::StartTimer(int id, unsigned milliseconds)
{
    SetTimer(m_hwnd, static_cast<UINT_PTR>(id), milliseconds, nullptr);
}

void Win32DialogWindow::StopTimer(int id)
{
    KillTimer(m_hwnd, static_cast<UINT_PTR>(id));
}
