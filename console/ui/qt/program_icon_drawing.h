// The program icon's drawing, at any size; it needs no window system, so the
// build also draws the desktop's icon files with it.
#pragma once

#include <QImage>

QImage DrawProgramIcon(int size);
