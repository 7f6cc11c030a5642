#include "log_edit_win32.h"

#include <string>

#include "dialog_template_win32.h"

std::size_t LogEditWin32::TextLength() const
{
    return static_cast<std::size_t>(GetWindowTextLengthW(m_edit));
}

void LogEditWin32::SetText(std::string_view text)
{
    SetWindowTextW(m_edit, Widen(text).c_str());
}

void LogEditWin32::InsertAndSelect(std::size_t position, std::string_view text)
{
    const std::wstring inserted = Widen(text);
    const auto at = static_cast<WPARAM>(position);
    SendMessageW(m_edit, EM_SETSEL, at, static_cast<LPARAM>(at));
    SendMessageW(m_edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(inserted.c_str()));
    SendMessageW(m_edit, EM_SETSEL, at, static_cast<LPARAM>(TextLength()));
    SendMessageW(m_edit, EM_SCROLLCARET, 0, 0);
}
