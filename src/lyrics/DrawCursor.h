#pragma once

#include "core/TextRect.h"

#include <QByteArrayView>
#include <QPoint>
#include <QtGlobal>
#include <limits>

class ExtendedCharPlusPos;
class ExtendedText;
class TextCanvas;

// The part of a text that a wipe has coloured so far: from and to are pixels
// along the text's lines laid end to end, so a text across a line break fills
// its first line before its second.
struct FillSpan {
    int from = 0;
    int to = std::numeric_limits<int>::max();
    bool isEmpty() const { return to <= from; }
};

// A list drawn with one of its elements only partly filled: span of the element at index.
struct PartFill {
    qint32 index = -1;
    FillSpan span;
};

// A pen on a canvas (not owned) that draws lyric text. Every drawing position
// is offset + pen + origin; drawing advances the pen. Lines break only at "\n"
// (a CR before it is dropped) and whatever falls outside the clip rectangle is
// cut off, never wrapped. Without a canvas nothing is drawn and texts measure 0.
class DrawCursor {
public:
    void bindCanvas(TextCanvas* canvas) { canvas_ = canvas; }
    TextCanvas* canvas() const { return canvas_; }

    // lineHeight: how tall the line the pen stands on already is.
    void setPen(int x, int y, int lineHeight = 0)
    {
        pen_ = QPoint(x, y);
        lineHeight_ = lineHeight;
    }
    QPoint pen() const { return pen_; }
    int lineHeight() const { return lineHeight_; }
    void setOrigin(int x, int y) { origin_ = QPoint(x, y); }
    void moveOrigin(int dx, int dy) { origin_ += QPoint(dx, dy); }
    QPoint origin() const { return origin_; }

    void setFontSize(qint32 points);
    void setFontColor(quint32 value);
    int textWidth(QByteArrayView text) const;
    int textHeight(QByteArrayView text) const;

    // Draws text that may hold line breaks, starting at the pen; leaves the pen
    // after the last character, or at the start of the next line after a break.
    // The next line starts below the tallest text drawn on the line it ends,
    // so a line that mixes font sizes is not overlapped by the one after it.
    // Only the span of the text is drawn; the pen moves over all of it.
    void drawString(const TextRect& clip, int ox, int oy, QByteArrayView text, FillSpan span = {});
    // Draws the runs in order: each applies its font attributes (which stay for
    // the runs after it) and moves the pen to its position if it has one. The
    // canvas font is as before afterwards. The run at part.index draws only its span.
    void drawExtendedText(const TextRect& clip, int ox, int oy, const ExtendedText& list, PartFill part = {});
    // One run alone, in its own attributes, only its span; the canvas font is as before afterwards.
    void drawRun(const TextRect& clip, const ExtendedCharPlusPos& run, FillSpan span);
    // The length of the text's lines laid end to end, in the canvas font.
    int lineLength(QByteArrayView text) const;

private:
    void applyAttributes(const ExtendedCharPlusPos& element);

    TextCanvas* canvas_ = nullptr;
    QPoint pen_;
    int lineHeight_ = 0;
    QPoint origin_;
};
