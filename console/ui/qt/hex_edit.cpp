#include "hex_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <algorithm>

#include "edit_change.h"
#include "quillard/text_encoding.h"

QString FilterHexText(const QString& typed)
{
    QString kept;
    for (QChar c : typed) {
        const char16_t u = c.unicode();
        if (u == ' ' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F'))
            kept.append(c);
        else if (u >= 'a' && u <= 'f')
            kept.append(QChar(u - 'a' + 'A'));
    }
    return kept;
}

QString FirstLine(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\r' || text[i] == u'\n') return text.left(i);
    return text;
}

QString KeepGbkText(const QString& text)
{
    return QString::fromStdString(KeepGbkCharacters(text.toStdString()));
}

namespace {

// Keys that type no character (arrows, Delete, Home) and control characters
// (Backspace, Enter, Escape, Tab, shortcuts) are the edit's or the window's.
bool TypesCharacters(const QKeyEvent& event)
{
    const auto typed = event.text().toUcs4();  // a character beyond 16 bits is one
    return !typed.isEmpty() && QChar::isPrint(static_cast<char32_t>(typed.front()));
}

}  // namespace

HexEdit::HexEdit(QWidget* parent) : QLineEdit(parent)
{
    // A change of the user's is told first (textEdited), then every change
    // (textChanged): the text before the change is at hand when it is judged.
    connect(this, &QLineEdit::textEdited, this, &HexEdit::KeepEditWithinRules);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { m_shown = text; });
}

void HexEdit::KeepEditWithinRules(const QString& edited)
{
    const EditChange change = FindEditChange({reinterpret_cast<const char16_t*>(m_shown.utf16()),
                                              static_cast<std::size_t>(m_shown.size())},
                                             {reinterpret_cast<const char16_t*>(edited.utf16()),
                                              static_cast<std::size_t>(edited.size())});
    const auto prefix = static_cast<qsizetype>(change.start);
    const auto suffix = edited.size() - prefix - static_cast<qsizetype>(change.length);
    const QString brought = edited.mid(prefix, static_cast<qsizetype>(change.length));

    // A single line: of text brought in with line breaks, the first line.
    QString kept = KeepGbkText(FirstLine(brought));
    if (m_nLimit > 0) {
        const qsizetype room = std::max<qsizetype>(0, m_nLimit - (edited.size() - brought.size()));
        if (kept.size() > room) {
            kept.truncate(room);
            if (!kept.isEmpty() && kept.back().isHighSurrogate()) kept.chop(1);
        }
    }
    if (kept == brought) return;
    const qsizetype cursor = prefix + kept.size();
    setText(edited.left(prefix) + kept + edited.right(suffix));
    setCursorPosition(static_cast<int>(cursor));
}

void HexEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Control) m_bControlDown = true;
    if (!TypesCharacters(*event) || !Filtering()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString kept = FilterHexText(event->text());
    if (kept.isEmpty()) {
        event->accept();
        return;
    }
    QKeyEvent filtered(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                       event->nativeVirtualKey(), event->nativeModifiers(), kept,
                       event->isAutoRepeat(), event->count());
    QLineEdit::keyPressEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

void HexEdit::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Control) m_bControlDown = false;
    QLineEdit::keyReleaseEvent(event);
}

// Text composed with an input method is typed text too.
void HexEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!Filtering() || event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(FilterHexText(event->commitString()), event->replacementStart(),
                             event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

// A Control key released elsewhere must not leave the filter off.
void HexEdit::focusOutEvent(QFocusEvent* event)
{
    m_bControlDown = false;
    QLineEdit::focusOutEvent(event);
}
