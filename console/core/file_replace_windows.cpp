// Replacing a file on Windows: CreateFileW(CREATE_NEW) beside it,
// FlushFileBuffers, then ReplaceFileW, which keeps the old file's attributes
// and security, or MoveFileExW for a file that does not exist yet. Paths
// arrive as UTF-8 text and go to the system as UTF-16.
#include <windows.h>

#include <algorithm>

#include "file_replace_os.h"
#include "quillard/path_text.h"

namespace {

std::wstring Wide(const std::string& path)
{
    return PathFromText(path).wstring();
}

constexpr int kNameAttempts = 100;

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
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES)
        return ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                            nullptr, nullptr) != 0;
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const std::string& path)
{
    DeleteFileW(Wide(path).c_str());
}

}  // namespace file_replace_os
