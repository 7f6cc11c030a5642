// Paths are held as UTF-8 text throughout the program. On Windows the file
// system names files in UTF-16, and a path made from narrow text (a narrow
// std::filesystem::path, a file stream opened by a narrow name) would be read
// in the system's code page, which cannot spell every name: these convert
// explicitly. On Linux the bytes pass unchanged, valid UTF-8 or not; on
// Windows text that cannot be converted names no file (an empty path).
#pragma once

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

inline std::filesystem::path PathFromText(std::string_view utf8)
{
    try {
        return std::filesystem::path(
            std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
    } catch (const std::exception&) {
        return {};
    }
}

inline std::string TextOfPath(const std::filesystem::path& path)
{
    try {
        const std::u8string text = path.u8string();
        return std::string(reinterpret_cast<const char*>(text.data()), text.size());
    } catch (const std::exception&) {
        return {};
    }
}
