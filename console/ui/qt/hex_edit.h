// A single-line edit that keeps typed input to hexadecimal digits and blanks,
// upper-cased. While Control is held in it, input (the clipboard shortcuts
// above all) goes through unchanged. Whatever the filter, the edit takes no
// character that has no GBK form, by any way in (typing, an input method,
// pasting by key or menu, dropping, the selection's middle-button paste), as an
// edit of the Windows program's code page cannot hold one.
#pragma once

#include <QLineEdit>

class QMenu;

class HexEdit : public QLineEdit {
public:
    explicit HexEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

    void SetFilter(bool on) { m_bFilter = on; }
    bool Filter() const { return m_bFilter; }

    // The most characters typing or pasting may leave in the edit (0: no
    // limit). Text put in by the program is never cut.
    void SetTypingLimit(int characters) { m_nLimit = characters; }
    int TypingLimit() const { return m_nLimit; }

    // The edit's context menu, whose Paste goes through the GBK rule.
    QMenu* CreateContextMenu();
    // Pastes the clipboard's text (or the selection's), less the characters
    // without a GBK form, cut to the room left.
    void PasteKept(bool selection = false);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool Filtering() const { return m_bFilter && !m_bControlDown; }
    // How many more characters fit in place of the selection.
    qsizetype Room() const;

    bool m_bFilter = true;
    bool m_bControlDown = false;
    int m_nLimit = 0;
};

// What a filtering edit makes of typed text: blanks, digits and A to F kept,
// a to f upper-cased, every other character dropped.
QString FilterHexText(const QString& typed);
// A text less its characters that have no GBK form.
QString KeepGbkText(const QString& text);
