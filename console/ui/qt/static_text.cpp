#include "static_text.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// In the pixels of the display, from the baseline.
struct InkRows {
    int top = 0;     // the highest row the glyphs touch (negative: above the baseline)
    int bottom = 0;  // the lowest
};

// The rows that `text` touches when drawn in `font` at the display scale
// `scale`, as drawn (an outline's box can miss a row that the rasterised glyph
// touches, and a scaled glyph can reach a row that an unscaled one does not).
InkRows MeasureInk(const QFont& font, const QString& text, qreal scale)
{
    const QFontMetrics metrics(font);
    const int margin = 4;
    QImage image(
        QSize(metrics.horizontalAdvance(text) + 2 * margin, metrics.height() + 2 * margin) * scale,
        QImage::Format_Grayscale8);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    const int baseline = static_cast<int>(std::ceil((metrics.ascent() + margin) * scale));
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(margin, baseline / scale), text);
    }
    InkRows ink;
    bool any = false;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        if (std::any_of(row, row + image.width(), [](uchar value) { return value != 255; })) {
            if (!any) ink.top = y - baseline;
            ink.bottom = y - baseline;
            any = true;
        }
    }
    if (!any) return {static_cast<int>(-metrics.ascent() * scale), 0};
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
    if (shown != m_measuredText || font() != m_measuredFont ||
        devicePixelRatioF() != m_measuredScale) {
        const InkRows ink = MeasureInk(font(), shown, devicePixelRatioF());
        m_measuredScale = devicePixelRatioF();
        m_inkTop = ink.top;
        m_inkBottom = ink.bottom;
        m_measuredText = shown;
        m_measuredFont = font();
    }
    const QFontMetrics metrics(font());
    // The font's own baseline, unless the glyphs would leave the control;
    // placed in the display's pixels, where a scaled control's rows lie.
    const qreal scale = devicePixelRatioF();
    const int rows = static_cast<int>(std::lround(height() * scale));
    const int lowest = rows - 1 - m_inkBottom;
    const int preferred = static_cast<int>(std::lround(metrics.ascent() * scale));
    const int baseline = std::max(-m_inkTop, std::min(preferred, lowest));
    const int advance = metrics.horizontalAdvance(shown);
    int x = 0;
    if (alignment() & Qt::AlignRight)
        x = width() - advance;
    else if (alignment() & Qt::AlignHCenter)
        x = (width() - advance) / 2;
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(QPointF(x, baseline / scale), shown);
}
