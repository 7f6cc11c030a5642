// A static text of the template. Its 8-unit height is the line of the 12-pixel
// font the template was laid out for; a font whose glyphs reach above or below
// its own line would be cut there, so the text's baseline is moved just as far
// as its glyphs need to stay inside the control.
#pragma once

#include <QLabel>

class StaticText : public QLabel {
public:
    StaticText(const QString& text, Qt::Alignment horizontal, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the glyphs of the text last measured reach, from the baseline.
    QString m_measuredText;
    QFont m_measuredFont;
    qreal m_measuredScale = 0;
    int m_inkTop = 0;
    int m_inkBottom = 0;
};
