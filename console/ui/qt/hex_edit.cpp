#include "hex_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <algorithm>
#include <limits>

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

namespace {

// Keys that type no character (arrows, Delete, Home) and control characters
// (Backspace, Enter, Escape, Tab, shortcuts) are the edit's or the window's.
bool TypesCharacters(const QKeyEvent& event)
{
    const QString text = event.text();
    return !text.isEmpty() && text.front().isPrint();
}

}  // namespace

qsizetype HexEdit::Room() const
{
    if (m_nLimit <= 0) return std::numeric_limits<qsizetype>::max();
    const qsizetype left = text().size() - selectedText().size();
    return std::max<qsizetype>(0, m_nLimit - left);
}

void HexEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Control) m_bControlDown = true;
    if (m_nLimit > 0 && event->matches(QKeySequence::Paste)) {
        // A paste is cut to the room left, as a limited edit does.
        insert(QGuiApplication::clipboard()->text().left(Room()));
        event->accept();
        return;
    }
    if (!TypesCharacters(*event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString kept = Filtering() ? FilterHexText(event->text()) : event->text();
    if (kept.isEmpty() || kept.size() > Room()) {
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
