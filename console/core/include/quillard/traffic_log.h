// The traffic log's rules, apart from the widget that shows it: the window puts
// them on its multi-line edit, tests on a text in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The edit control limit set at start-up, and the length above which the log is
// emptied before the next line: the margin keeps a line from hitting the limit.
inline constexpr std::size_t kLogLimit = 640000;
inline constexpr std::size_t kLogWipeLength = 630000;

// What the log needs of the control that shows it. Lengths count characters.
class LogView {
public:
    virtual ~LogView() = default;
    virtual std::size_t TextLength() const = 0;
    virtual void SetText(std::string_view text) = 0;
    // Inserts `text` at `position`, selects it from its byte `selectFrom` on
    // and scrolls the selection into view.
    virtual void InsertAndSelect(std::size_t position, std::string_view text,
                                 std::size_t selectFrom) = 0;
};

// Appends one line (a CR LF is added), emptying a log that has grown above
// kLogWipeLength first.
void AppendLog(LogView& view, std::string_view line);
// Appends lines in one insertion, leaving the log as appending them one by
// one would: the same text, emptied where one of them would have emptied it,
// the last line selected. A log control redraws once for them all.
void AppendLogLines(LogView& view, const std::vector<std::string>& lines);
void ClearLog(LogView& view);

// A log held as UTF-8 text in memory.
class MemoryLogView : public LogView {
public:
    std::size_t TextLength() const override { return m_nChars; }
    void SetText(std::string_view text) override;
    void InsertAndSelect(std::size_t position, std::string_view text,
                         std::size_t selectFrom) override;

    const std::string& Text() const { return m_strText; }
    // The selected text, as the last insertion left it.
    std::string_view Selected() const { return std::string_view(m_strText).substr(m_nSelected); }

private:
    std::string m_strText;
    std::size_t m_nChars = 0;
    std::size_t m_nSelected = 0;  // byte where the selection starts; it runs to the end
};

// The number of characters in a UTF-8 text.
std::size_t CountUtf8Chars(std::string_view text);
