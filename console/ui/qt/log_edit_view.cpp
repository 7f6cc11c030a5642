#include "log_edit_view.h"

#include <algorithm>

#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

LogEditView::LogEditView(QPlainTextEdit& edit) : m_edit(edit)
{
    // The line just added is selected; like a classic edit, the log shows the
    // selection only while it has the focus.
    QPalette palette = m_edit.palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Inactive, QPalette::Text));
    m_edit.setPalette(palette);
    m_edit.setUndoRedoEnabled(false);
}

std::size_t LogEditView::TextLength() const
{
    const QTextDocument& document = *m_edit.document();
    // characterCount() holds one separator per block, the last one extra.
    const auto chars = static_cast<std::size_t>(document.characterCount() - 1);
    const auto lineBreaks = static_cast<std::size_t>(document.blockCount() - 1);
    return chars + lineBreaks;
}

namespace {

QString ToEditText(std::string_view text)
{
    QString converted = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return converted;
}

}  // namespace

void LogEditView::SetText(std::string_view text)
{
    m_edit.setPlainText(ToEditText(text));
}

void LogEditView::InsertAndSelect(std::size_t, std::string_view text, std::size_t selectFrom)
{
    const qsizetype unselected = ToEditText(text.substr(0, selectFrom)).size();
    QString inserted = ToEditText(text);
    const std::size_t length = TextLength();
    const std::size_t room = length < m_nLimit ? m_nLimit - length : 0;
    // Each line break in the edit stands for two characters of the limit.
    std::size_t used = 0;
    qsizetype keep = 0;
    for (; keep < inserted.size(); ++keep) {
        used += inserted[keep] == QLatin1Char('\n') ? 2 : 1;
        if (used > room) break;
    }
    inserted.truncate(keep);

    QTextCursor cursor(m_edit.document());
    cursor.movePosition(QTextCursor::End);
    const int start = cursor.position();
    cursor.insertText(inserted);
    cursor.setPosition(start + static_cast<int>(std::min(unselected, inserted.size())));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    m_edit.setTextCursor(cursor);
    m_edit.ensureCursorVisible();
}
