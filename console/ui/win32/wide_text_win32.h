// Text in the UTF-16 of Windows' wide calls, and back.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// A window's whole text (WM_GETTEXT), as it stands.
std::wstring WindowText(HWND window);
