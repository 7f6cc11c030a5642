#include "console_process.h"

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct WindowSearch {
    DWORD process;
    const wchar_t* className;
    const wchar_t* titleStart;
    HWND found = nullptr;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search.process || !IsWindowVisible(window)) return TRUE;
    wchar_t className[64] = {}, title[256] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 256);
    if (std::wstring(className) != search.className) return TRUE;
    if (std::wstring(title).rfind(search.titleStart, 0) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

HWND FindWindowOf(DWORD process, const wchar_t* className, const wchar_t* titleStart)
{
    WindowSearch search{process, className, titleStart};
    EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::wstring BuildFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

void RemoveFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::string ReadWholeFile(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string ToGbk(const std::wstring& text)
{
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(936, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(936, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

ConsoleProcess::ConsoleProcess(const std::wstring& name, const std::string& settings,
                               const std::vector<std::wstring>& plugins)
{
    const std::wstring build = BuildFolder();
    m_folder = build + L"\\" + name;
    RemoveFolder(m_folder);
    CreateDirectoryW(m_folder.c_str(), nullptr);
    CreateDirectoryW((m_folder + L"\\Protocols").c_str(), nullptr);
    for (const wchar_t* file :
         {L"Quillard.exe", L"libHollet.dll", L"libstdc++-6.dll", L"libgcc_s_dw2-1.dll",
          L"libgcc_s_seh-1.dll", L"libwinpthread-1.dll"})
        CopyFileW((build + L"\\" + file).c_str(), (m_folder + L"\\" + file).c_str(), FALSE);
    for (const std::wstring& plugin : plugins) {
        std::wstring from = build + L"\\Protocols\\" + plugin;
        if (GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES)
            from = build + L"\\tests\\plugins\\" + plugin;
        CopyFileW(from.c_str(), (m_folder + L"\\Protocols\\" + plugin).c_str(), FALSE);
    }
    std::ofstream(std::filesystem::path(m_folder + L"\\Vemra_Test.ini"), std::ios::binary)
        << settings;
}

ConsoleProcess::ConsoleProcess(const std::wstring& name) : m_folder(BuildFolder() + L"\\" + name) {}

ConsoleProcess::~ConsoleProcess()
{
    if (m_process.hProcess) {
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
}

bool ConsoleProcess::Start()
{
    // The console's window in the screen's own pixels, at any display scale.
    static const BOOL aware = SetProcessDPIAware();
    static_cast<void>(aware);
    std::wstring command = L"\"" + m_folder + L"\\Quillard.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        m_folder.c_str(), &startup, &m_process))
        return false;
    return WaitFor(
        [this] {
            m_window = FindWindowOf(m_process.dwProcessId, L"#32770", L"Quillard -->");
            return m_window != nullptr;
        },
        std::chrono::seconds(60));
}

int ConsoleProcess::WaitForExit(std::chrono::milliseconds limit)
{
    if (WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process.hProcess, &code);
    return static_cast<int>(code);
}

void ConsoleProcess::Terminate()
{
    TerminateProcess(m_process.hProcess, 1);
    WaitForSingleObject(m_process.hProcess, 10000);
}

std::wstring ConsoleProcess::Text(int id) const
{
    HWND control = Control(id);
    const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto got = SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                  reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return text;
}

// A tab's item lives in the program's memory: the request goes there too.
std::wstring ConsoleProcess::TabText(int index) const
{
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 m_process.dwProcessId);
    if (!process) return {};
    constexpr std::size_t kChars = 256;
    auto* remote = static_cast<unsigned char*>(VirtualAllocEx(
        process, nullptr, sizeof(TCITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TCITEMW));
    item.cchTextMax = kChars;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageW(Control(1061), TCM_GETITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(remote));
    wchar_t text[kChars] = {};
    ReadProcessMemory(process, remote + sizeof(TCITEMW), text, sizeof text, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    text[kChars - 1] = 0;
    return text;
}

void ConsoleProcess::SetText(int id, const std::wstring& text) const
{
    SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Posted, as a click of the user's: a handler that opens a message box does
// not hold this process.
void ConsoleProcess::Click(int id) const
{
    PostMessageW(Control(id), BM_CLICK, 0, 0);
}

void ConsoleProcess::SetCheck(int id, bool checked) const
{
    SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool ConsoleProcess::IsChecked(int id) const
{
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool ConsoleProcess::IsEnabled(int id) const
{
    return IsWindowEnabled(Control(id)) != FALSE;
}

void ConsoleProcess::Key(int id, WPARAM virtualKey) const
{
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    PostMessageW(Control(id), WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(Control(id), WM_KEYUP, virtualKey,
                 static_cast<LPARAM>(1 | (scan << 16) | (1u << 30) | (1u << 31)));
}

HWND ConsoleProcess::WaitForWindow(const wchar_t* className, const wchar_t* titleStart,
                                   std::chrono::milliseconds limit) const
{
    HWND found = nullptr;
    WaitFor(
        [&] {
            found = FindWindowOf(m_process.dwProcessId, className, titleStart);
            return found != nullptr && found != m_window;
        },
        limit);
    return found == m_window ? nullptr : found;
}

std::wstring ConsoleProcess::TakeMessageBox(std::chrono::milliseconds limit)
{
    HWND box = nullptr;
    WaitFor(
        [&] {
            box = FindWindowOf(m_process.dwProcessId, L"#32770", L"Quillard");
            if (box == m_window) box = nullptr;
            return box != nullptr;
        },
        limit);
    if (!box) return {};
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitFor([box] { return !IsWindow(box); }, std::chrono::seconds(5));
    return text;
}

bool ConsoleProcess::SaveScreenshot(const std::wstring& path) const
{
    RECT frame{};
    GetWindowRect(m_window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out.good();
}

std::string ConsoleProcess::ReadFile(const std::wstring& name) const
{
    return ReadWholeFile(m_folder + L"\\" + name);
}
