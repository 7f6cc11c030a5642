// The window's fonts: the layout is made for a 9-point CJK font of 12 pixels,
// and the traffic log needs a monospaced one in which │ ─ ┼ take two columns.
#pragma once

#include <QFont>

QFont DialogFont();
QFont LogFont();
