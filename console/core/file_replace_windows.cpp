// Replacing a file on Windows: CreateFileW(CREATE_NEW) beside it,
// FlushFileBuffers, then ReplaceFileW, which keeps the old file's attributes
// and security, or MoveFileExW for a file that does not exist yet. Paths
// arrive as UTF-8 text and go to the system as UTF-16.
#include <windows.h>

#include <algorithm>
#include <chrono>

#include "file_replace_os.h"
#include "quillard/path_text.h"

namespace {

std::wstring Wide(const std::string& path)
{
    return PathFromText(path).wstring();
}

constexpr int kNameAttempts = 100;

// How long a file that another program holds open is waited for, and how
// often it is tried meanwhile.
constexpr std::chrono::milliseconds kHeldFileWait{1000};
constexpr DWORD kHeldFileRetryMs = 50;

bool WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// The errors of a replace whose target another program holds open.
bool IsHeldFileError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
}

// Whether another program has `path` open without sharing its deletion, so
// that it cannot be replaced now. A file that is not there is not held.
bool HeldByAnotherProgram(const std::wstring& path)
{
    const HANDLE probe =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    }
    CloseHandle(probe);
    return false;
}

}  // namespace

namespace file_replace_os {

std::string ResolveTarget(const std::string& path)
{
    return path;
}

std::string WriteBeside(const std::string& target, std::string_view bytes)
{
    std::string temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kNameAttempts && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = TempPathBeside(target);
        file = CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return {};
    }
    if (file == INVALID_HANDLE_VALUE) return {};
    bool whole = WriteAll(file, bytes) && FlushFileBuffers(file);
    whole = CloseHandle(file) && whole;
    if (!whole) {
        RemoveFile(temp);
        return {};
    }
    return temp;
}

bool PutInPlace(const std::string& temp, const std::string& target)
{
    const std::wstring from = Wide(temp);
    const std::wstring to = Wide(target);
    // Another program that has the file open without delete sharing (an
    // editor, a virus scanner, a second Quillard) makes the replace fail
    // until it lets go of it: it is waited for, about a second. The replace
    // is tried only once the file is free, since a failed ReplaceFileW may
    // leave a copy of the old file behind (Wine's does).
    const auto deadline = std::chrono::steady_clock::now() + kHeldFileWait;
    for (;;) {
        DWORD error = ERROR_SHARING_VIOLATION;
        if (!HeldByAnotherProgram(to)) {
            // ReplaceFileW may have taken the old file away before it failed:
            // then the new one is moved to its name.
            const bool placed =
                GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES
                    ? ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                    : MoveFileExW(from.c_str(), to.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            if (placed) return true;
            error = GetLastError();
            if (!IsHeldFileError(error)) return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            SetLastError(error);
            return false;
        }
        Sleep(kHeldFileRetryMs);
    }
}

void RemoveFile(const std::string& path)
{
    DeleteFileW(Wide(path).c_str());
}

}  // namespace file_replace_os
