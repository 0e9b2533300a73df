#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

// Colour values as the window designs, lyrics files and the lyric state keep
// them: 32 bits, red in the low byte, then green, then blue (0x00BBGGRR). A
// top byte of 0x02 marks the same RGB relative to the palette; 0x80000000 + n
// is system colour n (5 is the window background, 8 the window text, 15 the
// button face).
namespace ColorValue {
constexpr quint32 SystemFlag = 0x80000000u;
constexpr quint32 WindowBackground = SystemFlag + 5;
constexpr quint32 WindowText = SystemFlag + 8;
constexpr quint32 ButtonFace = SystemFlag + 15;

// The colour a command's three arguments give: only the low byte of each counts.
constexpr quint32 fromArguments(qint16 r, qint16 g, qint16 b)
{
    return 0x02000000u | (quint32(r) & 0xFF) | (quint32(g) & 0xFF) << 8 | (quint32(b) & 0xFF) << 16;
}

// System colours are looked up in the given palette (the application's by default);
// an unknown system colour is black.
QColor toQColor(quint32 value, const QPalette& palette);
QColor toQColor(quint32 value);
} // namespace ColorValue
