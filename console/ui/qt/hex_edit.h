// A single-line edit that keeps typed input to hexadecimal digits and blanks,
// upper-cased. While Control is held in it, input (the clipboard shortcuts
// above all) goes through unchanged.
#pragma once

#include <QLineEdit>

class HexEdit : public QLineEdit {
public:
    explicit HexEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

    void SetFilter(bool on) { m_bFilter = on; }
    bool Filter() const { return m_bFilter; }

    // The most characters typing or pasting may leave in the edit (0: no
    // limit). Text put in by the program is never cut.
    void SetTypingLimit(int characters) { m_nLimit = characters; }
    int TypingLimit() const { return m_nLimit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

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
