#include "static_text.h"

#include <QImage>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace {

struct InkRows {
    int top = 0;     // the highest row the glyphs touch, from the baseline (negative: above)
    int bottom = 0;  // the lowest
};

// The rows that `text` touches when drawn in `font`, as drawn (an outline's
// box can miss a row that the rasterised glyph touches).
InkRows MeasureInk(const QFont& font, const QString& text)
{
    const QFontMetrics metrics(font);
    const int margin = 4;
    const int baseline = metrics.ascent() + margin;
    QImage image(metrics.horizontalAdvance(text) + 2 * margin, metrics.height() + 2 * margin,
                 QImage::Format_Grayscale8);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(margin, baseline, text);
    }
    InkRows ink{metrics.ascent(), -metrics.descent()};  // no ink: the font's line
    bool any = false;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        if (std::any_of(row, row + image.width(), [](uchar value) { return value != 255; })) {
            if (!any) ink.top = y - baseline;
            ink.bottom = y - baseline;
            any = true;
        }
    }
    if (!any) return {-metrics.ascent(), metrics.descent()};
    return ink;
}

}  // namespace

StaticText::StaticText(const QString& text, Qt::Alignment horizontal, QWidget* parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(horizontal | Qt::AlignTop);
}

void StaticText::paintEvent(QPaintEvent*)
{
    const QString shown = text();
    if (shown.isEmpty()) return;
    if (shown != m_measuredText || font() != m_measuredFont) {
        const InkRows ink = MeasureInk(font(), shown);
        m_inkTop = ink.top;
        m_inkBottom = ink.bottom;
        m_measuredText = shown;
        m_measuredFont = font();
    }
    const QFontMetrics metrics(font());
    // The font's own baseline, unless the glyphs would leave the control.
    const int lowest = height() - 1 - m_inkBottom;
    const int baseline = std::max(-m_inkTop, std::min(metrics.ascent(), lowest));
    const int advance = metrics.horizontalAdvance(shown);
    int x = 0;
    if (alignment() & Qt::AlignRight)
        x = width() - advance;
    else if (alignment() & Qt::AlignHCenter)
        x = (width() - advance) / 2;
    QPainter painter(this);
    style()->drawItemText(
        &painter, QRect(x, baseline - metrics.ascent(), advance, metrics.height()),
        Qt::AlignLeft | Qt::AlignTop, palette(), isEnabled(), shown, foregroundRole());
}
