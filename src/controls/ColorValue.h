#pragma once

#include <QColor>
#include <QtGlobal>

class QPalette;

// Colour values as the window designs and lyrics files store them: 0x00BBGGRR,
// a top byte 0x02 for the same colour taken from the palette, and
// 0x80000000 + n for system colour n (5 is the window background).
namespace ColorValue {
QColor toQColor(quint32 value, const QPalette& palette);
}
