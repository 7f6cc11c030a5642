#include "quillard/traffic_log.h"

void AppendLog(LogView& view, std::string_view line)
{
    std::string text;
    text.reserve(line.size() + 2);
    text.append(line).append("\r\n");

    std::size_t length = view.TextLength();
    if (length > kLogWipeLength) {
        view.SetText({});
        length = 0;
    }
    view.InsertAndSelect(length, text);
}

void ClearLog(LogView& view)
{
    view.SetText({});
}

std::size_t CountUtf8Chars(std::string_view text)
{
    std::size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

void MemoryLogView::SetText(std::string_view text)
{
    m_strText.assign(text);
    m_nChars = CountUtf8Chars(text);
}

void MemoryLogView::InsertAndSelect(std::size_t position, std::string_view text)
{
    // Positions count characters; find the byte where character `position` starts.
    std::size_t byte = 0;
    if (position >= m_nChars) {
        byte = m_strText.size();
    } else {
        for (std::size_t chars = 0; chars < position; ++chars) {
            do
                ++byte;
            while (byte < m_strText.size() && (m_strText[byte] & 0xC0) == 0x80);
        }
    }
    m_strText.insert(byte, text);
    m_nChars += CountUtf8Chars(text);
}
