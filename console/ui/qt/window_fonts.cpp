#include "window_fonts.h"

#include <QStringList>

QFont DialogFont()
{
    QFont font;
    // WenQuanYi Micro Hei has SimSun's line height (one em), which the
    // 8-unit-high labels of the template need.
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    return font;
}

QFont LogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("NSimSun")});
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(12);
    return font;
}
