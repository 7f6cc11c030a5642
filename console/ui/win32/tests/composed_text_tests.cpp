// A row's hex edit in this process, given an input method's result string as
// an input method gives it (in the edit's input context, then
// WM_IME_COMPOSITION): of composed text only the first line gets in, kept as
// typed text is. The result cannot be handed to another process's edit, so
// the window's own test program cannot do this. Also text that reaches the
// edit by none of its messages (as Windows' context menu inserts a Unicode
// control character) and another thread's WM_SETTEXT, under the edit's limit.
#include <gtest/gtest.h>

#include <windows.h>

#include <imm.h>

#include <cstring>
#include <string>
#include <thread>

#include "hex_edit_win32.h"
#include "wide_text_win32.h"

namespace {

// The input method's side of an input context (immdev.h), which mingw-w64's
// headers lack; the layouts are Windows' own.
struct CompositionString {
    DWORD size;
    DWORD compReadAttrLen, compReadAttrOffset, compReadClauseLen, compReadClauseOffset;
    DWORD compReadStrLen, compReadStrOffset;
    DWORD compAttrLen, compAttrOffset, compClauseLen, compClauseOffset;
    DWORD compStrLen, compStrOffset;
    DWORD cursorPos, deltaStart;
    DWORD resultReadClauseLen, resultReadClauseOffset, resultReadStrLen, resultReadStrOffset;
    DWORD resultClauseLen, resultClauseOffset, resultStrLen, resultStrOffset;
    DWORD privateSize, privateOffset;
};
struct InputContext {
    HWND window;
    BOOL open;
    POINT statusWindowPos, softKeyboardPos;
    DWORD conversion, sentence;
    LOGFONTW font;
    COMPOSITIONFORM compositionForm;
    CANDIDATEFORM candidateForms[4];
    HIMCC compositionString, candidateInfo, guideLine, privateData;
    DWORD messageCount;
    HIMCC messages;
    DWORD initialized;
    DWORD reserved[3];
};

extern "C" {
InputContext* WINAPI ImmLockIMC(HIMC context);
BOOL WINAPI ImmUnlockIMC(HIMC context);
void* WINAPI ImmLockIMCC(HIMCC component);
BOOL WINAPI ImmUnlockIMCC(HIMCC component);
HIMCC WINAPI ImmReSizeIMCC(HIMCC component, DWORD size);
HIMCC WINAPI ImmCreateIMCC(DWORD size);
}

// Puts `result` into the edit's input context as the result string.
bool SetResultString(HWND edit, const std::wstring& result)
{
    HIMC context = ImmGetContext(edit);
    if (!context) return false;
    bool set = false;
    if (InputContext* input = ImmLockIMC(context)) {
        const DWORD size =
            static_cast<DWORD>(sizeof(CompositionString) + (result.size() + 1) * sizeof(wchar_t));
        HIMCC strings = input->compositionString ? ImmReSizeIMCC(input->compositionString, size)
                                                 : ImmCreateIMCC(size);
        if (strings) {
            input->compositionString = strings;
            if (auto* composition = static_cast<CompositionString*>(ImmLockIMCC(strings))) {
                std::memset(composition, 0, size);
                composition->size = size;
                composition->resultStrLen = static_cast<DWORD>(result.size());
                composition->resultStrOffset = sizeof(CompositionString);
                std::memcpy(composition + 1, result.c_str(), result.size() * sizeof(wchar_t));
                ImmUnlockIMCC(strings);
                set = true;
            }
        }
        ImmUnlockIMC(context);
    }
    ImmReleaseContext(edit, context);
    return set;
}

std::wstring TextOf(HWND edit)
{
    wchar_t text[256] = {};
    GetWindowTextW(edit, text, 256);
    return text;
}

// Runs what the edit posted to itself (the characters an edit makes of a
// result it passes on).
void RunPosted()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// UTF-8, with the control characters written out.
std::string Shown(const std::wstring& text)
{
    std::string out;
    for (const wchar_t c : text)
        out += c < L' '
                   ? "\\x" + std::string{"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]}
                   : Narrow({&c, 1});
    return out;
}

struct ComposedCase {
    const char* name;
    const wchar_t* result;
    bool filter;
    bool controlDown;
    const wchar_t* expected;  // after the result went in between X and Y
};

const ComposedCase kComposedCases[] = {
    {"CR LF, filtered", L"C1\r\n[notes]\r\n", true, false, L"XC1Y"},
    {"LF, filtered, upper-cased as typed", L"ab\ncd", true, false, L"XABY"},
    {"LF, not filtered", L"ab\ncd", false, false, L"XabY"},
    {"LF, Control held", L"ab\ncd", true, true, L"XabY"},
    {"a lone CR, not filtered", L"a\rb", false, false, L"XaY"},
    {"a first line that is empty", L"\r\nA0", false, false, L"XY"},
    {"Chinese, not filtered", L"读卡\r\n", false, false, L"X读卡Y"},
    {"Chinese, filtered: nothing", L"读卡", true, false, L"XY"},
    {"no GBK form", L"A\U0001F600B", false, false, L"XABY"},
};

// The rows' frame does what the window does with its edits' EN_UPDATE.
LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == EN_UPDATE)
        KeepHexEditWithinRules(reinterpret_cast<HWND>(lParam));
    return DefWindowProcW(frame, message, wParam, lParam);
}

const wchar_t* FrameClass()
{
    static const wchar_t* name = [] {
        WNDCLASSW frame{};
        frame.lpfnWndProc = FrameProc;
        frame.hInstance = GetModuleHandleW(nullptr);
        frame.lpszClassName = L"QuillardRowsFrame";
        RegisterClassW(&frame);
        return frame.lpszClassName;
    }();
    return name;
}

// The edit class's own procedure: text given to it comes in by none of the
// hex edit's messages.
LRESULT ReplaceBehindTheEditsBack(HWND edit, const wchar_t* text)
{
    WNDCLASSW edits{};
    GetClassInfoW(nullptr, L"EDIT", &edits);
    return CallWindowProcW(edits.lpfnWndProc, edit, EM_REPLACESEL, TRUE,
                           reinterpret_cast<LPARAM>(text));
}

// `text` given with WM_SETTEXT from another thread, as another program does;
// this thread serves it meanwhile.
void SetTextFromAnotherThread(HWND edit, const wchar_t* text)
{
    bool done = false;
    std::thread other([&] {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        done = true;
        PostThreadMessageW(0, WM_NULL, 0, 0);
    });
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT | QS_SENDMESSAGE);
        RunPosted();
    }
    other.join();
}

class ComposedText : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_frame = CreateWindowExW(0, FrameClass(), L"rows", WS_POPUP | WS_VISIBLE, 0, 0, 300, 60,
                                  nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_frame, nullptr);
        m_edit =
            CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | WS_BORDER, 0,
                            0, 280, 24, m_frame, nullptr, nullptr, nullptr);
        ASSERT_NE(m_edit, nullptr);
        MakeHexEdit(m_edit);
        SetForegroundWindow(m_frame);
        SetFocus(m_edit);
    }
    void TearDown() override
    {
        if (m_frame) DestroyWindow(m_frame);
    }
    HWND m_frame = nullptr;
    HWND m_edit = nullptr;
};

}  // namespace

TEST_F(ComposedText, TakesTheFirstLineOfAResultAsTypedText)
{
    for (const ComposedCase& test : kComposedCases) {
        SCOPED_TRACE(test.name);
        SetHexEditFilter(m_edit, test.filter);
        SetWindowTextW(m_edit, L"XY");
        SendMessageW(m_edit, EM_SETSEL, 1, 1);
        if (test.controlDown) SendMessageW(m_edit, WM_KEYDOWN, VK_CONTROL, 1);
        ASSERT_TRUE(SetResultString(m_edit, test.result));
        SendMessageW(m_edit, WM_IME_STARTCOMPOSITION, 0, 0);
        SendMessageW(m_edit, WM_IME_COMPOSITION, 0, GCS_RESULTSTR | GCS_RESULTREADSTR);
        SendMessageW(m_edit, WM_IME_ENDCOMPOSITION, 0, 0);
        RunPosted();
        if (test.controlDown) SendMessageW(m_edit, WM_KEYUP, VK_CONTROL, 0xC0000001);
        EXPECT_EQ(Shown(TextOf(m_edit)), Shown(test.expected));
    }
}

// Whatever way text comes in, a row stays one line of characters with a GBK
// form within the edit's limit; the window's own text and an undo are taken
// as they are.
TEST_F(ComposedText, TextByOtherWaysKeepsTheRowsRules)
{
    struct Case {
        const char* name;
        bool fromAnotherThread;  // WM_SETTEXT, else an insertion between X and Y
        const wchar_t* text;
        std::size_t limit;  // 0: the edit's own
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"left-to-right mark", false, L"\u200E", 0, L"XY"},
        {"a mark between digits", false, L"A\u202E0", 0, L"XA0Y"},
        {"record and unit separators", false,
         L"\x1E"
         L"1\x1F",
         0, L"X1Y"},
        {"a line break", false, L"B1\r\n[notes]", 0, L"XB1Y"},
        {"no GBK form", false, L"C\U0001F600D", 0, L"XCDY"},
        {"Chinese kept, as pasted", false, L"读卡", 0, L"X读卡Y"},
        {"beyond the limit", false, L"0123456789", 6, L"X0123Y"},
        {"another program's text", true, L"E3\r\n[notes]\u200E", 0, L"E3"},
        {"another program's text beyond the limit", true, L"0123456789", 4, L"0123"},
        {"another program's Chinese", true, L"读卡器\U0001F600", 0, L"读卡器"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SendMessageW(m_edit, EM_LIMITTEXT, test.limit, 0);
        SetWindowTextW(m_edit, L"XY");
        SendMessageW(m_edit, EM_SETSEL, 1, 1);
        if (test.fromAnotherThread)
            SetTextFromAnotherThread(m_edit, test.text);
        else
            ReplaceBehindTheEditsBack(m_edit, test.text);
        RunPosted();
        EXPECT_EQ(Shown(TextOf(m_edit)), Shown(test.expected));
    }

    // The window's own text: a row as the history holds it, whatever its length.
    SendMessageW(m_edit, EM_LIMITTEXT, 4, 0);
    SetWindowTextW(m_edit, L"00 A4 04 00");
    EXPECT_EQ(Shown(TextOf(m_edit)), "00 A4 04 00");
    // An undo brings back what was there, here a paste in text mode.
    SendMessageW(m_edit, EM_LIMITTEXT, 0, 0);
    SetHexEditFilter(m_edit, true);
    SetWindowTextW(m_edit, L"hello");
    SendMessageW(m_edit, EM_SETSEL, 0, -1);
    SendMessageW(m_edit, WM_CLEAR, 0, 0);
    SendMessageW(m_edit, EM_UNDO, 0, 0);
    EXPECT_EQ(Shown(TextOf(m_edit)), "hello");
}
