#include "log_edit_win32.h"

#include <algorithm>
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

void LogEditWin32::InsertAndSelect(std::size_t position, std::string_view text,
                                   std::size_t selectFrom)
{
    const std::wstring inserted = Widen(text);
    const auto at = static_cast<WPARAM>(position);
    SendMessageW(m_edit, EM_SETSEL, at, static_cast<LPARAM>(at));
    SendMessageW(m_edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(inserted.c_str()));
    // the limit may have cut the text: the selection ends where it does
    const std::size_t end = TextLength();
    const std::size_t start = std::min(end, position + Widen(text.substr(0, selectFrom)).size());
    SendMessageW(m_edit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    SendMessageW(m_edit, EM_SCROLLCARET, 0, 0);
}
