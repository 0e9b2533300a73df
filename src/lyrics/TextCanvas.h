#pragma once

#include "core/TextRect.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// A surface that lyric text is drawn on, with the current font and brush that
// drawing uses and changes. Texts are Shift-JIS bytes; colours are colour values
// (see ColorValue); font sizes are points at 96 dots per inch.
class TextCanvas {
public:
    virtual ~TextCanvas() = default;

    virtual qint32 fontSize() const = 0;
    virtual void setFontSize(qint32 points) = 0;
    virtual quint32 fontColor() const = 0;
    virtual void setFontColor(quint32 value) = 0;
    virtual QByteArray fontName() const = 0;
    virtual void setFontName(const QByteArray& name) = 0;
    virtual quint8 fontPitch() const = 0; // 0 default, 1 variable, 2 fixed
    virtual void setFontPitch(quint8 pitch) = 0;

    virtual quint32 brushColor() const = 0;
    virtual void setBrushColor(quint32 value) = 0;
    // A clear brush draws text without filling its cell first.
    virtual bool brushClear() const = 0;
    virtual void setBrushClear(bool clear) = 0;

    // Extent of one line of text in the current font; the height of an empty text is 0.
    virtual int textWidth(QByteArrayView text) const = 0;
    virtual int textHeight(QByteArrayView text) const = 0;

    // Fills the rectangle with the brush colour.
    virtual void fillRect(const TextRect& rect) = 0;
    // Draws one line with its top-left at (x, y), clipped to cell; the cell is
    // first filled with the brush colour unless the brush is clear.
    virtual void textOut(int x, int y, const TextRect& cell, QByteArrayView text) = 0;
};
