#include "quillard/traffic_log.h"

#include <algorithm>

void AppendLog(LogView& view, std::string_view line)
{
    AppendLogLines(view, {std::string(line)});
}

void AppendLogLines(LogView& view, const std::vector<std::string>& lines)
{
    if (lines.empty()) return;
    // Where the log would last have been emptied, and its length after each line.
    std::size_t length = view.TextLength();
    std::size_t first = 0;
    bool wiped = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (length > kLogWipeLength) {
            wiped = true;
            first = i;
            length = 0;
        }
        length += CountUtf8Chars(lines[i]) + 2;
    }
    std::string text;
    std::size_t bytes = 0;
    for (std::size_t i = first; i < lines.size(); ++i)
        bytes += lines[i].size() + 2;
    text.reserve(bytes);
    std::size_t lastLine = 0;
    for (std::size_t i = first; i < lines.size(); ++i) {
        lastLine = text.size();
        text.append(lines[i]).append("\r\n");
    }
    if (wiped) view.SetText({});
    view.InsertAndSelect(view.TextLength(), text, lastLine);
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
    m_nSelected = m_strText.size();
}

void MemoryLogView::InsertAndSelect(std::size_t position, std::string_view text,
                                    std::size_t selectFrom)
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
    m_nSelected = byte + std::min(selectFrom, text.size());
}
