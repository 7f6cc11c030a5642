#include "program_icon_drawing.h"

#include <QPainter>

// A card in front of a reader slot, with a quill stroke: readable from 16 pixels up.
QImage DrawProgramIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 70, 120));
    painter.drawRoundedRect(QRectF(2 * s, 12 * s, 28 * s, 18 * s), 3 * s, 3 * s);
    painter.setBrush(QColor(20, 30, 50));
    painter.drawRect(QRectF(6 * s, 14 * s, 20 * s, 2.5 * s));

    painter.setBrush(QColor(250, 200, 60));
    painter.setPen(QPen(QColor(120, 80, 0), qMax(1.0, s)));
    painter.drawRoundedRect(QRectF(8 * s, 2 * s, 16 * s, 14 * s), 2 * s, 2 * s);
    painter.setBrush(QColor(200, 150, 30));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(11 * s, 6 * s, 5 * s, 4 * s));

    painter.setPen(QPen(QColor(200, 250, 250), qMax(1.0, 1.5 * s), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(6 * s, 26 * s), QPointF(26 * s, 20 * s));
    return image;
}
