#include "lyrics/ExtendedChar.h"

void ExtendedChar::setColor(quint8 r, quint8 g, quint8 b, quint8 kind)
{
    setColor(quint32(kind & 3) << 24 | quint32(r) | quint32(g) << 8 | quint32(b) << 16);
}

void ExtendedChar::setColor(quint32 value)
{
    color_ = value;
    hasColor_ = true;
}

void ExtendedChar::setSize(qint32 points)
{
    size_ = points;
    hasSize_ = true;
}

void ExtendedChar::setFontName(QByteArrayView name)
{
    fontName_ = name.first(qMin<qsizetype>(name.size(), MaxFontNameLength)).toByteArray();
    hasFontName_ = true;
}

void ExtendedChar::setPitch(quint8 pitch)
{
    pitch_ = pitch;
    hasPitch_ = true;
}

bool ExtendedChar::getColor(quint32& value) const
{
    value = color_;
    return hasColor_;
}

bool ExtendedChar::getSize(qint32& points) const
{
    points = size_;
    return hasSize_;
}

bool ExtendedChar::getFontName(QByteArray& name) const
{
    name = fontName_;
    return hasFontName_;
}

bool ExtendedChar::getPitch(quint8& pitch) const
{
    pitch = pitch_;
    return hasPitch_;
}
