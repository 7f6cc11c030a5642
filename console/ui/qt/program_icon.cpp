#include "program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace {

// A card in front of a reader slot, with a quill stroke: readable from 16 pixels up.
QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
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
    return pixmap;
}

}  // namespace

QIcon ProgramIcon()
{
    static const QIcon icon = [] {
        QIcon drawn;
        for (int size : {16, 24, 32, 48, 64, 128})
            drawn.addPixmap(DrawIcon(size));
        return drawn;
    }();
    return icon;
}
