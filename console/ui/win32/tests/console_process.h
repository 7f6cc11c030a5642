// The console as a user's program under test: a program folder of its own
// (the program, its libraries, a plug-in and settings), the program started
// in it, and its window and controls driven through window messages from this
// process, as a user's clicks and keys reach it.
#pragma once

#include "wide_text_win32.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

class ConsoleProcess {
public:
    // A program folder named `name` beside this test program, with `settings`
    // (bytes as stored) as Vemra_Test.ini and the plug-ins of `plugins`
    // (file names of the build's plug-ins) in Protocols\.
    ConsoleProcess(const std::wstring& name, const std::string& settings,
                   const std::vector<std::wstring>& plugins);
    // The program folder `name` beside this test program as it is, made by
    // the test's set-up.
    explicit ConsoleProcess(const std::wstring& name);
    ~ConsoleProcess();
    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    // Starts the program and waits for its main window; false when it did not come.
    bool Start();
    // Waits for the program to end; its exit code, or -1.
    int WaitForExit(std::chrono::milliseconds limit);
    // Ends the program at once, as Windows does at the session's end.
    void Terminate();

    HWND Window() const { return m_window; }
    HWND Control(int id) const { return GetDlgItem(m_window, id); }
    std::wstring Text(int id) const;
    std::wstring TabText(int index) const;
    void SetText(int id, const std::wstring& text) const;
    void Click(int id) const;
    void SetCheck(int id, bool checked) const;
    bool IsChecked(int id) const;
    bool IsEnabled(int id) const;
    // A key pressed and released in control `id`.
    void Key(int id, WPARAM virtualKey) const;

    // The text of a message box of the program that is open (waiting up to
    // `limit` for one), which is then closed with OK; empty when none came.
    std::wstring TakeMessageBox(std::chrono::milliseconds limit);
    // Waits until `done()` or `limit`; the last value of done().
    template <class Condition>
    bool WaitFor(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) const
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            Sleep(20);
        }
        return true;
    }
    // A top-level window of the program of class `className` (and a title
    // that starts with `titleStart`), waiting up to `limit`; null when none came.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* titleStart,
                       std::chrono::milliseconds limit) const;
    // Saves a picture of the window as a BMP file.
    bool SaveScreenshot(const std::wstring& path) const;

    std::wstring Folder() const { return m_folder; }
    // A file of the program folder, as stored.
    std::string ReadFile(const std::wstring& name) const;

private:
    std::wstring m_folder;
    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
};

// The folder of this test program, where the build puts the console.
std::wstring BuildFolder();
// A folder and all it holds removed.
void RemoveFolder(const std::wstring& folder);
// A file's bytes, as stored; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);

// UTF-16 text as the console's code page (GBK) holds it.
std::string ToGbk(const std::wstring& text);
