// On Windows the user's folder for the settings files is %APPDATA%\Quillard,
// the roaming application data that follows the user from machine to machine.
// A program folder counts as writable when a file can be made in it; where
// Windows virtualises the writes of a program in a protected folder, that
// succeeds, and the files stay where Windows puts them.
#include <windows.h>

#include <shlobj.h>

#include "app_folders.h"
#include "file_replace_os.h"
#include "quillard/path_text.h"
#include "quillard/settings.h"

namespace {

constexpr const char* kProgramFolderName = "Quillard";
constexpr int kProbeAttempts = 100;

std::string EnvironmentFolder(const wchar_t* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 || length >= size) return {};
    value.resize(length);
    return TextOfPath(std::filesystem::path(value));
}

std::string RoamingAppDataFolder()
{
    wchar_t* folder = nullptr;
    std::string text;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder) == S_OK)
        text = TextOfPath(std::filesystem::path(folder));
    CoTaskMemFree(folder);
    return text;
}

}  // namespace

bool CanWriteFolder(const std::string& folder)
{
    // A hidden file made and removed again at once: a folder the user may not
    // write, or on a read-only medium, refuses it.
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        const std::wstring probe =
            PathFromText(TempPathBeside(FilePathIn(folder, "write-check"))).wstring();
        const HANDLE file = CreateFileW(
            probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

std::string UserAppFolder()
{
    std::string appData = EnvironmentFolder(L"APPDATA");
    if (appData.empty()) appData = RoamingAppDataFolder();
    return appData.empty() ? std::string() : FilePathIn(appData, kProgramFolderName);
}
