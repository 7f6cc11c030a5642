#include "hex_edit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <algorithm>
#include <limits>
#include <memory>

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

qsizetype HexEdit::Room() const
{
    if (m_nLimit <= 0) return std::numeric_limits<qsizetype>::max();
    const qsizetype left = text().size() - selectedText().size();
    return std::max<qsizetype>(0, m_nLimit - left);
}

void HexEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Control) m_bControlDown = true;
    if (event->matches(QKeySequence::Paste)) {
        PasteKept();
        event->accept();
        return;
    }
    if (!TypesCharacters(*event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = KeepGbkText(event->text());
    const QString kept = Filtering() ? FilterHexText(typed) : typed;
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
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    const QString typed = KeepGbkText(event->commitString());
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(Filtering() ? FilterHexText(typed) : typed, event->replacementStart(),
                             event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

// A paste is cut to the room left, as a limited edit does; it is not filtered
// (a paste never goes through the character filter).
void HexEdit::PasteKept(bool selection)
{
    if (isReadOnly()) return;
    const QString text = QGuiApplication::clipboard()->text(selection ? QClipboard::Selection
                                                                      : QClipboard::Clipboard);
    insert(KeepGbkText(text).left(Room()));
}

QMenu* HexEdit::CreateContextMenu()
{
    QMenu* menu = createStandardContextMenu();
    // The action that pastes is the one connected to the edit's own paste (by
    // name in the Qt of Debian 12, by member in others).
    for (QAction* action : menu->actions()) {
        const bool byName = disconnect(action, SIGNAL(triggered()), this, SLOT(paste()));
        const bool byMember = disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
        if (byName || byMember) connect(action, &QAction::triggered, this, [this] { PasteKept(); });
    }
    return menu;
}

void HexEdit::contextMenuEvent(QContextMenuEvent* event)
{
    const std::unique_ptr<QMenu> menu(CreateContextMenu());
    menu->exec(event->globalPos());
}

// Text dragged in from elsewhere comes without the characters GBK lacks.
void HexEdit::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasText() || KeepGbkText(data->text()) == data->text()) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData kept;
    kept.setText(KeepGbkText(data->text()));
    QDropEvent filtered(event->position(), event->possibleActions(), &kept, event->buttons(),
                        event->modifiers(), event->type());
    filtered.setDropAction(event->proposedAction());
    QLineEdit::dropEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

// The middle button pastes the selection where the system has one (X11).
void HexEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        PasteKept(true);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// A Control key released elsewhere must not leave the filter off.
void HexEdit::focusOutEvent(QFocusEvent* event)
{
    m_bControlDown = false;
    QLineEdit::focusOutEvent(event);
}
