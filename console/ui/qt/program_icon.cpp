#include "program_icon.h"

#include <QPixmap>

#include "program_icon_drawing.h"

QIcon ProgramIcon()
{
    static const QIcon icon = [] {
        QIcon drawn;
        for (int size : {16, 24, 32, 48, 64, 128})
            drawn.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
        return drawn;
    }();
    return icon;
}
