// Every static text and button caption of the window and the About box, in
// both languages, fits its control in the control's own font at 100%, 150% and
// 200% display scale. The scale is the system's (LogPixels, read when a
// program starts): the test sets it and runs itself again for each, as a
// program that declares itself DPI-aware (the console's manifest).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "control_texts_shown.h"
#include "dialog_window.h"
#include "display_scale_win32.h"
#include "language_texts.h"
#include "wide_text_win32.h"
#include "win32_dialog_window.h"

namespace {

class NoHandler : public DialogHandler {
public:
    void OnCommand(int) override {}
    void OnNotify(int, DialogNotification) override {}
    void OnSysCommand(int) override {}
    bool PreTranslateKeyDown(int, DialogKey) override { return false; }
    std::optional<RgbColour> ControlColour(int) override { return std::nullopt; }
    void OnWake() override {}
    void OnEndSession(bool) override {}
};

std::wstring WithoutMnemonic(std::wstring text)
{
    std::erase(text, L'&');
    return text;
}

SIZE TextExtent(HWND control, const std::wstring& text)
{
    HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

// What a control of `kind` leaves of its client area to its text at `dpi`:
// a button its edges and focus frame on either side (its text is centred on
// its whole height), a check box or radio button its box and the gap after
// it, a group box its frame on both sides of the caption.
SIZE TextRoom(HWND control, ControlKind kind, UINT dpi)
{
    RECT client{};
    GetClientRect(control, &client);
    SIZE room{client.right, client.bottom};
    switch (kind) {
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton:
        case ControlKind::kFlatPushButton: room.cx -= 2 * ScaledToDpi(3, dpi); break;
        case ControlKind::kCheckBox:
        case ControlKind::kRadioButton: room.cx -= ScaledToDpi(13 + 4, dpi); break;
        case ControlKind::kGroupBox: room.cx -= 2 * ScaledToDpi(8, dpi); break;
        default: break;
    }
    return room;
}

bool HasCaption(ControlKind kind)
{
    switch (kind) {
        case ControlKind::kGroupBox:
        case ControlKind::kLabel:
        case ControlKind::kLabelRight:
        case ControlKind::kLabelCentered:
        case ControlKind::kLabelNoPrefix:
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton:
        case ControlKind::kFlatPushButton:
        case ControlKind::kRadioButton:
        case ControlKind::kCheckBox: return true;
        default: return false;
    }
}

// The texts of each control of `dialogTemplate` that does not fit, one line each.
std::string Misfits(HWND dialog, const DialogTemplate& dialogTemplate, UINT dpi)
{
    std::string misfits;
    // The controls in table order, but for the tab control, which the window
    // puts under the controls it frames.
    std::vector<DialogItem> items;
    for (const DialogItem& item : dialogTemplate.controls)
        if (item.kind != ControlKind::kTabControl) items.push_back(item);
    for (const DialogItem& item : dialogTemplate.controls)
        if (item.kind == ControlKind::kTabControl) items.push_back(item);
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const DialogItem& item : items) {
        if (!control) break;
        if (HasCaption(item.kind)) {
            std::vector<std::string> texts;
            for (const char* text : OtherTextsOf(item.id))
                texts.emplace_back(text);
            if (item.id < 1063 || item.id > 1086) texts.emplace_back(item.text);
            for (const ControlTexts& language : LanguageControlTexts()) {
                if (language.id != item.id || item.id == kNoId) continue;
                texts.emplace_back(language.chinese);
                texts.emplace_back(language.english);
            }
            const SIZE room = TextRoom(control, item.kind, dpi);
            for (const std::string& text : texts) {
                if (text.empty()) continue;
                const SIZE needed = TextExtent(control, WithoutMnemonic(Widen(text)));
                if (needed.cx <= room.cx && needed.cy <= room.cy) continue;
                char line[256];
                std::snprintf(line, sizeof line, "%d \"%s\": %ld×%ld in %ld×%ld\n", item.id,
                              text.c_str(), needed.cx, needed.cy, room.cx, room.cy);
                misfits += line;
            }
        }
        control = GetWindow(control, GW_HWNDNEXT);
    }
    return misfits;
}

// The About box, measured while it is open and then closed.
std::string g_aboutMisfits = "the About box did not open\n";
UINT g_aboutDpi = 0;

BOOL CALLBACK MeasureAboutBox(HWND window, LPARAM mainWindow)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (window == reinterpret_cast<HWND>(mainWindow) || lstrcmpW(className, L"#32770") != 0)
        return TRUE;
    g_aboutMisfits = Misfits(window, AboutDialogTemplate(), g_aboutDpi);
    EndDialog(window, IDOK);
    return FALSE;
}

HWND g_mainWindow = nullptr;

void CALLBACK AboutBoxTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), MeasureAboutBox,
                      reinterpret_cast<LPARAM>(g_mainWindow));
}

const wchar_t* kDesktopKey = L"Control Panel\\Desktop";

}  // namespace

// Run by the test below, once for each scale.
TEST(TextFitAtThisScale, EveryCaptionFitsItsControl)
{
    const char* expected = std::getenv("QUILLARD_EXPECTED_DPI");
    if (!expected) GTEST_SKIP() << "run by TextFit.EveryCaptionFitsAtThreeScales";
    NoHandler handler;
    Win32DialogWindow window(MainDialogTemplate(), handler);
    ASSERT_NE(window.Handle(), nullptr);
    const UINT dpi = window.Dpi();
    ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(expected))) << "the scale did not take";
    EXPECT_EQ(Misfits(window.Handle(), MainDialogTemplate(), dpi), "");

    g_mainWindow = window.Handle();
    g_aboutDpi = dpi;
    SetTimer(nullptr, 0, 200, AboutBoxTimer);
    window.ShowAboutBox();
    EXPECT_EQ(g_aboutMisfits, "");

    // Moved to a monitor at twice the scale: the window takes the rectangle
    // the system suggests, and its fonts and controls are made again.
    if (dpi != 96) return;
    const RECT suggested{50, 40, 50 + 2080, 40 + 1630};
    SendMessageW(window.Handle(), kDpiChangedMessage, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.Dpi(), 192u);
    RECT frame{};
    GetWindowRect(window.Handle(), &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested))
        << frame.left << "," << frame.top << " " << frame.right << "," << frame.bottom;
    LOGFONTW log{};
    GetObjectW(window.LogFont(), sizeof log, &log);
    EXPECT_EQ(log.lfHeight, -24);
    RECT send{};
    GetWindowRect(GetDlgItem(window.Handle(), 1003), &send);
    // the first row's Send: 45 dialog units from 600 on
    EXPECT_EQ(send.right - send.left, 2 * (DialogUnitsToPixelsX(645) - DialogUnitsToPixelsX(600)));
    EXPECT_EQ(Misfits(window.Handle(), MainDialogTemplate(), 192), "");
}

TEST(TextFit, EveryCaptionFitsAtThreeScales)
{
    if (std::getenv("QUILLARD_EXPECTED_DPI")) GTEST_SKIP() << "the run of one scale";
    DWORD saved = 0, size = sizeof saved;
    const bool hadValue = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels",
                                       RRF_RT_REG_DWORD, nullptr, &saved, &size) == ERROR_SUCCESS;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (const DWORD dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi,
                                  sizeof dpi),
                  ERROR_SUCCESS);
        SetEnvironmentVariableW(L"QUILLARD_EXPECTED_DPI", std::to_wstring(dpi).c_str());
        std::wstring command =
            L"\"" + std::wstring(self) + L"\" --gtest_filter=TextFitAtThisScale.*";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process));
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, 0u) << "the run at " << dpi << " DPI failed (its output is above)";
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    SetEnvironmentVariableW(L"QUILLARD_EXPECTED_DPI", nullptr);
    if (hadValue)
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &saved,
                        sizeof saved);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
}
