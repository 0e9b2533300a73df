#pragma once

#include <QByteArray>
#include <QString>

// Lyrics, scripts and file texts are Shift-JIS (code page 932) bytes. They are
// kept as bytes and decoded only to draw or edit.
namespace ShiftJis {
// The first byte of a double-byte character: 0x81-0x9F or 0xE0-0xFC.
constexpr bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);
// True when this machine's Qt can convert code page 932 at all.
bool available();
} // namespace ShiftJis
