// The traffic log's rules, apart from the widget that shows it: the window puts
// them on its multi-line edit, tests on a text in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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
    // Inserts `text` at `position`, selects it and scrolls it into view.
    virtual void InsertAndSelect(std::size_t position, std::string_view text) = 0;
};

// Appends one line (a CR LF is added), emptying a log that has grown above
// kLogWipeLength first.
void AppendLog(LogView& view, std::string_view line);
void ClearLog(LogView& view);

// A log held as UTF-8 text in memory.
class MemoryLogView : public LogView {
public:
    std::size_t TextLength() const override { return m_nChars; }
    void SetText(std::string_view text) override;
    void InsertAndSelect(std::size_t position, std::string_view text) override;

    const std::string& Text() const { return m_strText; }

private:
    std::string m_strText;
    std::size_t m_nChars = 0;
};

// The number of characters in a UTF-8 text.
std::size_t CountUtf8Chars(std::string_view text);
