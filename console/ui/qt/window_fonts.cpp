#include "window_fonts.h"

#include <QStringList>

QFont DialogFont()
{
    QFont font;
    // The template is laid out in the units of a 12-pixel font (SimSun's),
    // whose glyphs stay inside its one-em line; WenQuanYi Micro Hei's reach
    // beyond that at 12 pixels (brackets are 13 high), so it is set one pixel
    // smaller: every text then shows whole in the 8-unit (12-pixel) statics.
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(11);
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
