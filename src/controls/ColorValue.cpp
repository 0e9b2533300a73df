#include "ColorValue.h"

#include <QPalette>

QColor ColorValue::toQColor(quint32 value, const QPalette& palette)
{
    if (value & 0x80000000u) {
        // Only the window background is used by the designs; any other
        // system colour falls back to the text colour so it stays visible.
        if ((value & 0xFFu) == 5)
            return palette.color(QPalette::Base);
        return palette.color(QPalette::WindowText);
    }
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}
