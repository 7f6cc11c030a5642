// A single-line edit that keeps typed input to hexadecimal digits and blanks,
// upper-cased. While Control is held in it, input (the clipboard shortcuts
// above all) goes through unchanged. Whatever the filter, every change the
// user makes (typing, an input method, pasting by key, menu or middle button,
// dropping, undo) is kept to the edit's rules: one line (of text brought in
// with line breaks only the first line, as a Windows single-line edit takes
// it), no character that has no GBK form, as an edit of the Windows program's
// code page cannot hold one, and no more characters than the typing limit.
// Text the program puts in is shown whole.
#pragma once

#include <QLineEdit>

class HexEdit : public QLineEdit {
public:
    explicit HexEdit(QWidget* parent = nullptr);

    void SetFilter(bool on) { m_bFilter = on; }
    bool Filter() const { return m_bFilter; }

    // The most characters the user may leave in the edit (0: no limit).
    void SetTypingLimit(int characters) { m_nLimit = characters; }
    int TypingLimit() const { return m_nLimit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool Filtering() const { return m_bFilter && !m_bControlDown; }
    // Takes back what a change of the user's brought in against the rules.
    void KeepEditWithinRules(const QString& edited);

    bool m_bFilter = true;
    bool m_bControlDown = false;
    int m_nLimit = 0;
    QString m_shown;  // the text before the change being made
};

// What a filtering edit makes of typed text: blanks, digits and A to F kept,
// a to f upper-cased, every other character dropped.
QString FilterHexText(const QString& typed);
// A text up to its first line break (CR or LF).
QString FirstLine(const QString& text);
// A text less its characters that have no GBK form.
QString KeepGbkText(const QString& text);
