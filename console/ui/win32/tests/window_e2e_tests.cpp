// The console's own window under test, from another process, as a user drives
// it: texts at start-up from a program folder whose name the code page cannot
// spell, one that cannot be written, a COM port with a reader behind it, Sends, the Enter
// rule, a message, a loop, a port closed under a loop, Escape with what it
// writes, a 32-bit plug-in that records what it is given, text with line
// breaks pasted or put into the rows, and the session's end under a loop that
// logs to a file. The reader is the simulated one that the test runner maps
// as COM<QUILLARD_TEST_COM>.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "console_process.h"

namespace {

using namespace std::chrono_literals;

// The bytes of a GBK text from its UTF-8 form, as a settings file holds it.
std::string Gbk(const char* utf8)
{
    return ToGbk(Widen(utf8));
}

std::wstring Wide(const char* utf8)
{
    return Widen(utf8);
}

// A settings file as the Windows program writes it: GBK, CRLF.
std::string SettingsFile(const char* language, const char* protocol, const char* plugin,
                         const char* hexMode)
{
    std::string text =
        std::string("[Setting]\r\nszLanguage=") + language +
        "\r\nnProtocolCount=2\r\nszProtocolName0=" + protocol +
        "\r\nszProtocolName1=总线协议\r\n\r\n[szProtocolName0]\r\nszDllName=" + plugin +
        "\r\nnAddrLen=0\r\nbHexMode=" + hexMode +
        "\r\nnDevCount=1\r\nszDevName0=读写器 A\r\n\r\n[szProtocolName1]\r\n"
        "szDllName=Corvane.dll\r\nnAddrLen=1\r\nbHexMode=TRUE\r\nnDevCount=0\r\n";
    return Gbk(text.c_str());
}

std::wstring ComText()
{
    const char* com = std::getenv("QUILLARD_TEST_COM");
    return L"COM" + Widen(com ? com : "40");
}

// The log's lines, as the code page holds them.
std::vector<std::string> LogLines(const ConsoleProcess& console)
{
    const std::string log = ToGbk(console.Text(1000));
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(log.substr(start, end - start));
    return lines;
}

std::size_t CountOf(const ConsoleProcess& console, const std::string& gbkPart)
{
    std::size_t count = 0;
    for (const std::string& line : LogLines(console))
        count += line.find(gbkPart) != std::string::npos;
    return count;
}

// The separator line in GBK: 2, 4 and 6 rules under the first columns, 78 after.
std::string Separator()
{
    const std::string rule = "\xA9\xA4", cross = "\xA9\xE0";
    auto rules = [&](int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += rule;
        return out;
    };
    return rules(2) + cross + rules(4) + cross + rules(6) + cross + rules(78);
}

// The OUT line of a frame written, in GBK: "%s" is the frame's hex text.
std::string OutLine(const char* hex)
{
    return std::string(" OUT\xA9\xA6 SUCCESS\xA9\xA6            \xA9\xA6 ") + hex + " ";
}

// The OUT line of a frame that could not be written, in GBK.
std::string WriteErrorLine(const char* hex)
{
    return std::string(" OUT\xA9\xA6WRIT ERR\xA9\xA6            \xA9\xA6 ") + hex + " ";
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.rfind(start, 0) == 0;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Text put on the clipboard, as another program copies it. The clipboard's
// owner is a window of this test's that stays.
bool PutOnClipboard(const std::wstring& text)
{
    static const HWND owner =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (data) {
        std::memcpy(GlobalLock(data), text.c_str(), bytes);
        GlobalUnlock(data);
        if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data), data = nullptr;
    }
    CloseClipboard();
    return data != nullptr;
}

// The edit's context menu, opened as from the keyboard, and its Paste chosen
// by its mnemonic.
bool PasteFromContextMenu(const ConsoleProcess& console, int id)
{
    HWND edit = console.Control(id);
    PostMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(0xFFFF, 0xFFFF));
    HWND menu = console.WaitForWindow(L"#32768", L"", 10s);
    if (!menu) return false;
    PostMessageW(menu, WM_CHAR, L'p', 1);
    return console.WaitFor([menu] { return !IsWindow(menu) || !IsWindowVisible(menu); });
}

// The log file's picker (the system menu's entry) given `path` as a user types
// it there, and its Save pressed.
bool PickLogFile(const ConsoleProcess& console, const std::wstring& path)
{
    PostMessageW(console.Window(), WM_SYSCOMMAND, 32800, 0);
    HWND picker = console.WaitForWindow(L"#32770", L"Log to File", 20s);
    if (!picker) return false;
    HWND name = GetDlgItem(picker, 1148);        // the file name box
    if (!name) name = GetDlgItem(picker, 1152);  // in the older picker
    if (!name) return false;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(picker, IDOK)));
    return console.WaitFor([picker] { return !IsWindow(picker); }, 20s);
}

// The reader's COM port opened from the English window.
bool OpenTheComPort(ConsoleProcess& console)
{
    console.SetText(1058, ComText());
    console.Click(1015);
    return console.WaitFor([&] { return console.Text(1015) == L"Close"; });
}

// The first row's `hex` sent in a loop until ten transactions are in the log.
bool LoopUntilTenTransactions(ConsoleProcess& console, const wchar_t* hex)
{
    console.SetText(1026, hex);
    console.SetCheck(1046, true);
    console.Click(1014);
    return console.WaitFor([&] { return CountOf(console, Separator()) >= 10; }, 30s);
}

// The lines of a file as the Windows program writes it (CRLF).
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// A picture of the window, once it has been painted, when QUILLARD_SCREENSHOTS
// names a folder for it.
void Screenshot(const ConsoleProcess& console, const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"QUILLARD_SCREENSHOTS", folder, MAX_PATH)) return;
    Sleep(1000);
    console.SaveScreenshot(std::wstring(folder) + L"\\" + name);
}

}  // namespace

// From a program folder whose name the system's code page cannot spell.
TEST(ConsoleWindow, AUserSessionOverACOMPort)
{
    ASSERT_NE(GetACP(), 936u) << "the test means a code page without Chinese";
    ConsoleProcess console(L"读卡器 工具", SettingsFile("CN", "直通协议", "Corvane.dll", "TRUE"),
                           {L"Corvane.dll"});
    ASSERT_TRUE(console.Start());

    // start-up: the settings' language, the protocols as tabs, the readers
    EXPECT_EQ(console.Text(1092), Wide("串口号:"));
    EXPECT_EQ(console.Text(1015), Wide("打开"));
    EXPECT_EQ(console.Text(1014), Wide("循环发送"));
    EXPECT_EQ(console.Text(1090), Wide("支持的读写器"));
    EXPECT_EQ(console.TabText(0), Wide("直通协议"));
    EXPECT_EQ(console.TabText(1), Wide("总线协议"));
    EXPECT_EQ(console.Text(1063), Wide("读写器 A"));
    EXPECT_TRUE(console.IsChecked(1097));
    Screenshot(console, L"console-chinese.bmp");

    // a character time-out with room for the reader's 20 ms gaps under Wine
    console.SetText(1087, L"150");
    console.SetText(1058, ComText());
    console.Click(1015);
    ASSERT_TRUE(console.WaitFor([&] { return console.Text(1015) == Wide("关闭"); }));
    EXPECT_FALSE(console.IsEnabled(1062));

    // typed into a hex edit: digits and A to F only, upper-cased; Enter in
    // an edit outside the rows does nothing
    for (wchar_t typed : std::wstring(L"ag1"))
        PostMessageW(console.Control(1026), WM_CHAR, typed, 1);
    ASSERT_TRUE(console.WaitFor([&] { return console.Text(1026) == L"A1"; }));
    console.Key(1087, VK_RETURN);
    Sleep(300);
    EXPECT_TRUE(LogLines(console).empty());
    EXPECT_EQ(console.Text(1015), Wide("关闭"));

    // a Send: the OUT line, the reply, the separator, byte for byte
    console.Click(1003);
    ASSERT_TRUE(console.WaitFor([&] { return LogLines(console).size() >= 3; }));
    std::vector<std::string> lines = LogLines(console);
    EXPECT_EQ(lines[0], OutLine("A1"));
    EXPECT_TRUE(StartsWith(lines[1],
                           "  IN"
                           "\xA9\xA6"
                           " SUCCESS"
                           "\xA9\xA6"
                           "use "));
    EXPECT_TRUE(EndsWith(lines[1],
                         "ms"
                         "\xA9\xA6"
                         " 90 00 11 "))
        << lines[1];
    EXPECT_EQ(lines[2], Separator());

    // Enter in row 7's time-out edit sends row 7
    console.SetText(1032, L"A6");
    console.Key(1042, VK_RETURN);
    ASSERT_TRUE(console.WaitFor([&] { return LogLines(console).size() >= 6; }));
    lines = LogLines(console);
    EXPECT_EQ(lines[3], OutLine("A6"));
    EXPECT_TRUE(EndsWith(lines[4],
                         "ms"
                         "\xA9\xA6"
                         " 01 02 03 "));

    // an empty command is refused with its message, nothing is sent
    console.Click(1004);
    EXPECT_EQ(console.TakeMessageBox(10s), Wide("命令不能为空, 请输入!"));
    EXPECT_EQ(LogLines(console).size(), 6u);

    // loop rows 2 and 5: every pass sends row 2, then row 5; then stop
    console.SetText(1027, L"A4");
    console.SetText(1030, L"A6");
    console.SetCheck(1047, true);
    console.SetCheck(1050, true);
    console.Click(1014);
    ASSERT_TRUE(
        console.WaitFor([&] { return CountOf(console, " OUT\xA9\xA6 SUCCESS") >= 8; }, 30s));
    console.Click(1014);
    ASSERT_TRUE(console.WaitFor([&] { return console.IsEnabled(1003); }, 10s));
    lines = LogLines(console);
    std::vector<std::string> sent;
    for (std::size_t i = 6; i < lines.size(); ++i)
        if (StartsWith(lines[i], " OUT")) sent.push_back(lines[i].substr(lines[i].size() - 4));
    ASSERT_GE(sent.size(), 4u);
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], i % 2 == 0 ? " A4 " : " A6 ") << i;

    // the port closed under a running loop: the loop stops, the port closes
    console.Click(1014);
    ASSERT_TRUE(console.WaitFor([&] { return !console.IsEnabled(1003); }));
    console.Click(1015);
    ASSERT_TRUE(console.WaitFor([&] { return console.Text(1015) == Wide("打开"); }));
    EXPECT_TRUE(
        console.WaitFor([&] { return console.IsEnabled(1003) && console.IsEnabled(1062); }));
    const std::size_t afterClose = LogLines(console).size();
    Sleep(300);
    EXPECT_EQ(LogLines(console).size(), afterClose);  // nothing sent any more

    // English, then Escape: the window goes, writing the history and the language
    console.Click(1098);
    ASSERT_TRUE(console.WaitFor([&] { return console.Text(1092) == L"Port:"; }));
    Screenshot(console, L"console-english.bmp");
    console.Key(1026, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(20s), 0);
    const std::string history = console.ReadFile(L"History.ini");
    EXPECT_TRUE(StartsWith(history, "[szProtocolName0]\r\nCMD0=A1\r\nCMD1=A4\r\nCMD2=\r\n"))
        << history;
    EXPECT_NE(history.find("CMD6=A6\r\nCMD7=\r\nCMD8=\r\nCMD9=\r\n"), std::string::npos);
    EXPECT_EQ(history.find("\n\n"), std::string::npos);
    const std::string settings = console.ReadFile(L"Vemra_Test.ini");
    std::string expected = SettingsFile("CN", "直通协议", "Corvane.dll", "TRUE");
    expected.replace(expected.find("szLanguage=CN"), 13, "szLanguage=EN");
    EXPECT_EQ(settings, expected);  // one value changed, GBK and CRLF kept
}

// A program folder that cannot be written (made so by the test's set-up): the
// settings are read from it, and what the console writes goes to the user's
// own folder, %APPDATA%\Quillard, here a folder whose name holds Chinese.
TEST(ConsoleWindow, AProgramFolderThatCannotBeWrittenSendsTheFilesToTheUsersFolder)
{
    ConsoleProcess console(L"读卡器 只读");
    if (console.ReadFile(L"Vemra_Test.ini").empty())
        GTEST_SKIP() << "the folder is made by the test's set-up (read_only_folder.sh)";
    const std::wstring appData = BuildFolder() + L"\\用户 数据";
    RemoveFolder(appData);
    CreateDirectoryW(appData.c_str(), nullptr);
    wchar_t previous[1024] = {};
    const bool hadAppData = GetEnvironmentVariableW(L"APPDATA", previous, 1024) != 0;
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    const bool started = console.Start();
    SetEnvironmentVariableW(L"APPDATA", hadAppData ? previous : nullptr);
    ASSERT_TRUE(started);

    EXPECT_EQ(console.TabText(0), L"Direct");
    console.SetText(1026, L"00 A4");
    console.Click(1097);  // Chinese: the language is written too
    ASSERT_TRUE(console.WaitFor([&] { return console.Text(1092) == Wide("串口号:"); }));
    console.Key(1026, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(20s), 0);

    const std::wstring user = appData + L"\\Quillard\\";
    EXPECT_NE(ReadWholeFile(user + L"History.ini").find("CMD0=00 A4\r\n"), std::string::npos);
    EXPECT_NE(ReadWholeFile(user + L"Vemra_Test.ini").find("szLanguage=CN\r\n"), std::string::npos);
    EXPECT_EQ(console.ReadFile(L"History.ini"), "");
    EXPECT_NE(console.ReadFile(L"Vemra_Test.ini").find("szLanguage=EN\r\n"), std::string::npos);
    RemoveFolder(appData);
}

// A text-mode protocol on a 32-bit plug-in that records its calls: the
// command text reaches it as GBK bytes.
TEST(ConsoleWindow, APluginOfTheUsersGetsTheCommandTextInGbk)
{
    wchar_t record[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, record);
    const std::wstring recordFile = std::wstring(record) + L"quillard-plugin-record.txt";
    DeleteFileW(recordFile.c_str());
    SetEnvironmentVariableW(L"TEST_PLUGIN_RECORD", recordFile.c_str());
    ConsoleProcess console(L"e2e-english", SettingsFile("EN", "Text", "Recorder.dll", "FALSE"),
                           {L"Recorder.dll", L"Corvane.dll"});
    ASSERT_TRUE(console.Start());
    EXPECT_EQ(console.Text(1092), L"Port:");
    EXPECT_EQ(console.Text(1014), L"Loop Trans");
    EXPECT_TRUE(console.IsChecked(1098));

    ASSERT_TRUE(OpenTheComPort(console));
    console.SetText(1026, Wide("读卡"));
    console.Click(1003);
    ASSERT_TRUE(console.WaitFor([&] { return LogLines(console).size() >= 3; }));
    const std::vector<std::string> lines = LogLines(console);
    EXPECT_EQ(lines[0], OutLine("B6 C1 BF A8"));
    EXPECT_TRUE(EndsWith(lines[1],
                         "ms"
                         "\xA9\xA6"
                         " B6 C1 BF A8 "));  // the reader echoes

    std::FILE* file = _wfopen(recordFile.c_str(), L"rb");
    ASSERT_NE(file, nullptr);
    char text[512] = {};
    std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    EXPECT_STREQ(text, "PCToReader B6 C1 BF A8\nReaderToPC B6 C1 BF A8\nCheckData B6 C1 BF A8\n");
    console.Key(1026, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(20s), 0);
    SetEnvironmentVariableW(L"TEST_PLUGIN_RECORD", nullptr);
}

// Log-off: asked first, the console saves what was typed and stays; told, it
// saves and ends.
TEST(ConsoleWindow, TheSessionsEndSavesWhatWasTyped)
{
    ConsoleProcess console(L"e2e-session", SettingsFile("CN", "直通协议", "Corvane.dll", "TRUE"),
                           {L"Corvane.dll"});
    ASSERT_TRUE(console.Start());
    console.SetText(1026, L"00 A4");
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(console.Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK,
                        10000, &answer);
    EXPECT_EQ(answer, TRUE);
    EXPECT_NE(console.ReadFile(L"History.ini").find("CMD0=00 A4\r\n"), std::string::npos);
    EXPECT_TRUE(IsWindowVisible(console.Window()));

    console.SetText(1026, L"00 B0");
    SendMessageTimeoutW(console.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 10000,
                        &answer);
    EXPECT_EQ(console.WaitForExit(20s), 0);
    EXPECT_NE(console.ReadFile(L"History.ini").find("CMD0=00 B0\r\n"), std::string::npos);
}

// An unattended loop: the loop statistics in their own window, beside it.
TEST(ConsoleWindow, ALoopAndItsStatistics)
{
    ConsoleProcess console(L"e2e-loop", SettingsFile("EN", "Direct", "Corvane.dll", "TRUE"),
                           {L"Corvane.dll"});
    ASSERT_TRUE(console.Start());
    ASSERT_TRUE(OpenTheComPort(console));
    ASSERT_TRUE(LoopUntilTenTransactions(console, L"A6"));
    console.Click(1014);
    ASSERT_TRUE(console.WaitFor([&] { return console.IsEnabled(1003); }));
    const std::size_t sent = CountOf(console, OutLine("A6"));

    PostMessageW(console.Window(), WM_SYSCOMMAND, 32801, 0);
    HWND statistics = console.WaitForWindow(L"QuillardStatistics", L"Loop Statistics", 10s);
    ASSERT_NE(statistics, nullptr);
    wchar_t shown[4096] = {};
    // another process's edit: its text comes only by WM_GETTEXT
    SendMessageW(GetWindow(statistics, GW_CHILD), WM_GETTEXT, 4096,
                 reinterpret_cast<LPARAM>(shown));
    EXPECT_NE(std::wstring(shown).find(L"SUCCESS"), std::wstring::npos) << ToGbk(shown);

    // counted as the log shows them
    EXPECT_NE(std::wstring(shown).find(std::to_wstring(sent)), std::wstring::npos) << ToGbk(shown);
    console.Key(1026, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(20s), 0);
}

// Each way text gets into a row, in hex mode (the typing filtered) and in text
// mode: one line only, with no line break, in the edit and in the history
// written at the close.
TEST(ConsoleWindow, ARowTakesOneLineWhateverWayTheTextComesIn)
{
    const std::wstring copied = L"A0 B0\r\n[notes]\r\n";  // a copied line and the next
    struct Way {
        const char* name;
        std::function<bool(const ConsoleProcess&, HWND edit)> enter;
        const wchar_t* kept;
    };
    const Way ways[] = {
        {"WM_PASTE",
         [&](const ConsoleProcess&, HWND edit) {
             return PutOnClipboard(copied) && SendMessageW(edit, WM_PASTE, 0, 0) == 0;
         },
         L"A0 B0"},
        {"Control+V, Control held",
         [&](const ConsoleProcess&, HWND edit) {
             if (!PutOnClipboard(copied)) return false;
             PostMessageW(edit, WM_KEYDOWN, VK_CONTROL, 1);
             PostMessageW(edit, WM_CHAR, 0x16, 1);
             PostMessageW(edit, WM_CHAR, L'\n', 1);  // Control+Enter
             PostMessageW(edit, WM_KEYUP, VK_CONTROL, 0xC0000001);
             return true;
         },
         L"A0 B0"},
        {"the context menu's Paste, a lone CR",
         [&](const ConsoleProcess& console, HWND edit) {
             return PutOnClipboard(L"C1\rD2") && PasteFromContextMenu(console, GetDlgCtrlID(edit));
         },
         L"C1"},
        {"EM_REPLACESEL",
         [&](const ConsoleProcess&, HWND edit) {
             SendMessageW(edit, EM_REPLACESEL, TRUE,
                          reinterpret_cast<LPARAM>(L"E3\r\n[notes]\r\n"));
             return true;
         },
         L"E3"},
        {"typed Enter, Control+Enter and Tab",
         [&](const ConsoleProcess&, HWND edit) {
             for (const wchar_t typed : std::wstring(L"4\r5\n6\t7"))
                 PostMessageW(edit, WM_CHAR, typed, 1);
             return true;
         },
         L"4567"},
        {"WM_SETTEXT from another program, with a mark and an emoji",
         [&](const ConsoleProcess&, HWND edit) {
             SendMessageW(edit, WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(L"F4 \u200E\U0001F600\r\n[notes]\r\n"));
             return true;
         },
         L"F4 "},
    };
    for (const char* hexMode : {"TRUE", "FALSE"}) {
        SCOPED_TRACE(std::string("bHexMode=") + hexMode);
        ConsoleProcess console(std::wstring(L"e2e-rows-") + (hexMode[0] == 'T' ? L"hex" : L"text"),
                               SettingsFile("EN", "Direct", "Corvane.dll", hexMode),
                               {L"Corvane.dll"});
        ASSERT_TRUE(console.Start());
        std::string history = "[szProtocolName0]\r\n";
        for (int row = 0; row < static_cast<int>(std::size(ways)); ++row) {
            const Way& way = ways[row];
            SCOPED_TRACE(way.name);
            const int id = 1026 + row;
            ASSERT_TRUE(way.enter(console, console.Control(id)));
            EXPECT_TRUE(console.WaitFor([&] { return console.Text(id) == way.kept; }, 5s))
                << ToGbk(console.Text(id));
            history += "CMD" + std::to_string(row) + "=" + ToGbk(way.kept) + "\r\n";
        }
        console.Key(1026, VK_ESCAPE);
        EXPECT_EQ(console.WaitForExit(20s), 0);
        const std::string written = console.ReadFile(L"History.ini");
        EXPECT_TRUE(
            StartsWith(written, history + "CMD" + std::to_string(std::size(ways)) + "=\r\n"))
            << written;
        EXPECT_EQ(written.find("[notes]"), std::string::npos) << written;
        EXPECT_EQ(written.find("\n\n"), std::string::npos) << written;
    }
}

// Log-off under a loop that writes the log to a file: WM_ENDSESSION returns
// only once the loop's worker has ended and the file is whole, every
// transaction in it and the loop's summary last. Windows may end the program
// as soon as it has returned; the test does so at once.
TEST(ConsoleWindow, TheSessionsEndLeavesTheLogFileWholeBeforeItReturns)
{
    ConsoleProcess console(L"e2e-session-log", SettingsFile("EN", "Direct", "Corvane.dll", "TRUE"),
                           {L"Corvane.dll"});
    ASSERT_TRUE(console.Start());
    ASSERT_TRUE(OpenTheComPort(console));
    ASSERT_TRUE(PickLogFile(console, console.Folder() + L"\\traffic.log"));
    ASSERT_TRUE(console.WaitFor([&] { return !console.ReadFile(L"traffic.log").empty(); }));
    ASSERT_TRUE(LoopUntilTenTransactions(console, L"A6"));

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(console.Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                    SMTO_BLOCK, 10000, &answer));
    ASSERT_TRUE(SendMessageTimeoutW(console.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF,
                                    SMTO_BLOCK, 30000, &answer));
    console.Terminate();

    const std::string file = console.ReadFile(L"traffic.log");
    const std::vector<std::string> lines = Lines(file);
    // Each transaction from its OUT line to its separator, whatever its outcome
    // (the port is closed under the last one); the summary after the last.
    constexpr std::size_t kStamp = 24;  // "2024-05-01 13:45:06.123 "
    long transactions = 0;
    bool open = false;
    bool failedWrite = false;
    std::size_t summary = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line == "Loop statistics (stopped)") {
            summary = i;
            break;
        }
        if (line.size() < kStamp) continue;
        const std::string logged = line.substr(kStamp);
        if (StartsWith(logged, " OUT")) {
            EXPECT_FALSE(open) << "line " << i << ": a transaction without its end";
            // the port closed before the last one was written fails it
            EXPECT_FALSE(failedWrite) << "line " << i << ": a transaction after a failed one";
            failedWrite = logged == WriteErrorLine("A6");
            if (!failedWrite) {
                EXPECT_EQ(logged, OutLine("A6")) << "line " << i;
            }
            open = true;
        } else if (logged == Separator()) {
            EXPECT_TRUE(open) << "line " << i;
            open = false;
            ++transactions;
        }
    }
    ASSERT_LT(summary, lines.size()) << "no loop summary in the file:\n" << file;
    EXPECT_FALSE(open);
    EXPECT_GE(transactions, 10);
    const std::string counts = "Passes: " + std::to_string(transactions) +
                               "    Transactions: " + std::to_string(transactions);
    EXPECT_NE(std::find(lines.begin() + summary, lines.end(), counts), lines.end()) << file;
    for (std::size_t i = summary; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].find(" OUT\xA9\xA6"), std::string::npos) << "after the summary: " << i;
    EXPECT_TRUE(EndsWith(file, "\r\n"));
    EXPECT_NE(console.ReadFile(L"History.ini").find("CMD0=A6\r\n"), std::string::npos);
}

namespace {

// How long the window takes to answer a message sent from this program; a
// second when it does not answer within one.
std::chrono::milliseconds AnswerTime(HWND window)
{
    wchar_t title[64] = {};
    DWORD_PTR result = 0;
    const auto start = std::chrono::steady_clock::now();
    if (!SendMessageTimeoutW(window, WM_GETTEXT, std::size(title), reinterpret_cast<LPARAM>(title),
                             SMTO_NORMAL, 1000, &result))
        return 1s;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

}  // namespace

// A loop at full speed with the visual style on: the window answers messages,
// a Stop takes effect at once (the pass under way ends, no more), and a Close
// during a loop ends the program. The limits here are wide (a shared machine);
// the times measured are printed.
TEST(ConsoleWindow, TheWindowAnswersWhileALoopRuns)
{
    ConsoleProcess console(L"e2e-answer", SettingsFile("EN", "Direct", "Corvane.dll", "TRUE"),
                           {L"Corvane.dll"});
    ASSERT_TRUE(console.Start());
    ASSERT_TRUE(OpenTheComPort(console));
    ASSERT_TRUE(LoopUntilTenTransactions(console, L"A6"));

    std::vector<std::chrono::milliseconds> answers;
    for (const auto until = std::chrono::steady_clock::now() + 4s;
         std::chrono::steady_clock::now() < until; Sleep(50))
        answers.push_back(AnswerTime(console.Window()));
    std::sort(answers.begin(), answers.end());
    const auto slowest = answers.back();
    std::printf("answers during the loop: %zu, median %lld ms, slowest %lld ms\n", answers.size(),
                static_cast<long long>(answers[answers.size() / 2].count()),
                static_cast<long long>(slowest.count()));
    EXPECT_LT(slowest, 500ms);

    // Stop: the Send buttons come back once the pass under way has ended.
    const std::size_t before = CountOf(console, OutLine("A6"));
    const auto stopped = std::chrono::steady_clock::now();
    console.Click(1014);
    ASSERT_TRUE(console.WaitFor([&] { return console.IsEnabled(1003); }, 10s));
    const auto stopTime = std::chrono::steady_clock::now() - stopped;
    const std::size_t after = CountOf(console, OutLine("A6"));
    std::printf("stop took %lld ms, %zu more requests shown\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(stopTime).count()),
                after - before);
    EXPECT_LT(stopTime, 1s);
    // what the log had not shown yet when Stop was clicked, and the pass's one
    EXPECT_LE(after - before, 50u);

    // Close during a loop.
    console.Click(1014);
    ASSERT_TRUE(console.WaitFor([&] { return !console.IsEnabled(1003); }));
    Sleep(2000);
    const auto closed = std::chrono::steady_clock::now();
    PostMessageW(console.Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(console.WaitFor([&] { return !IsWindowVisible(console.Window()); }, 20s));
    const auto closeTime = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - closed);
    // Wine's X11 driver then waits up to 2 s for a window manager that a
    // virtual display does not have, before the process may end.
    EXPECT_EQ(console.WaitForExit(20s), 0);
    std::printf("the window went %lld ms after the close\n",
                static_cast<long long>(closeTime.count()));
    EXPECT_LT(closeTime, 3s);
}
