#include "lyrics/DrawCursor.h"

#include "lyrics/ExtendedText.h"
#include "lyrics/TextCanvas.h"

#include <algorithm>

void DrawCursor::setFontSize(qint32 points)
{
    if (canvas_)
        canvas_->setFontSize(points);
}

void DrawCursor::setFontColor(quint32 value)
{
    if (canvas_)
        canvas_->setFontColor(value);
}

int DrawCursor::textWidth(QByteArrayView text) const
{
    return canvas_ ? canvas_->textWidth(text) : 0;
}

int DrawCursor::textHeight(QByteArrayView text) const
{
    return canvas_ ? canvas_->textHeight(text) : 0;
}

namespace {
// The next line of text and how many bytes it takes with its break: the bytes
// before "\n", less a CR directly before it.
QByteArrayView nextLine(QByteArrayView rest, qsizetype& consumed, bool& lineBreak)
{
    const qsizetype lineFeed = rest.indexOf('\n');
    lineBreak = lineFeed >= 0;
    QByteArrayView line = lineBreak ? rest.first(lineFeed) : rest;
    if (lineBreak && line.endsWith('\r'))
        line.chop(1);
    consumed = lineBreak ? lineFeed + 1 : rest.size();
    return line;
}
} // namespace

int DrawCursor::lineLength(QByteArrayView text) const
{
    if (!canvas_)
        return 0;
    int length = 0;
    for (QByteArrayView rest = text; !rest.isEmpty();) {
        qsizetype consumed = 0;
        bool lineBreak = false;
        length += canvas_->textWidth(nextLine(rest, consumed, lineBreak));
        rest = rest.sliced(consumed);
    }
    return length;
}

void DrawCursor::drawString(const TextRect& clip, int ox, int oy, QByteArrayView text, FillSpan span)
{
    if (!canvas_)
        return;
    int along = 0; // where this line starts in the span's measure
    QByteArrayView rest = text;
    while (!rest.isEmpty()) {
        qsizetype consumed = 0;
        bool lineBreak = false;
        const QByteArrayView line = nextLine(rest, consumed, lineBreak);

        const int x0 = ox + pen_.x() + origin_.x();
        const int y0 = oy + pen_.y() + origin_.y();
        const int width = canvas_->textWidth(line);
        TextRect cell{std::max(x0, clip.left), std::max(y0, clip.top), std::min(x0 + width, clip.right),
                      std::min(y0 + canvas_->textHeight(rest), clip.bottom)};
        if (span.from > along)
            cell.left = std::max(cell.left, x0 + std::min(span.from - along, width));
        if (span.to < along + width)
            cell.right = std::min(cell.right, x0 + std::max(span.to - along, 0));
        along += width;
        lineHeight_ = std::max(lineHeight_, canvas_->textHeight(line));
        // A cell clipped away entirely draws nothing, but the pen still moves.
        if (!cell.isEmpty())
            canvas_->textOut(x0, y0, cell, line);

        rest = rest.sliced(consumed);
        if (lineBreak) {
            const int breakHeight = rest.isEmpty() ? canvas_->textHeight("A") : canvas_->textHeight(rest);
            pen_.setX(0);
            pen_.ry() += std::max(lineHeight_, breakHeight);
            lineHeight_ = 0;
        }
        else {
            pen_.rx() += width;
        }
    }
}

void DrawCursor::applyAttributes(const ExtendedCharPlusPos& element)
{
    quint32 color;
    if (element.getColor(color))
        canvas_->setFontColor(color);
    qint32 size;
    if (element.getSize(size))
        canvas_->setFontSize(size);
    QByteArray name;
    if (element.getFontName(name))
        canvas_->setFontName(name);
    quint8 pitch;
    if (element.getPitch(pitch))
        canvas_->setFontPitch(pitch);
    qint32 x, y;
    if (element.getPos(x, y))
        setPen(x, y, element.lineHeight());
}

void DrawCursor::drawExtendedText(const TextRect& clip, int ox, int oy, const ExtendedText& list,
                                  PartFill part)
{
    if (!canvas_)
        return;
    const qint32 savedSize = canvas_->fontSize();
    const quint32 savedColor = canvas_->fontColor();
    const QByteArray savedName = canvas_->fontName();
    const quint8 savedPitch = canvas_->fontPitch();
    for (qint32 i = 0; i < list.count(); ++i) {
        const ExtendedCharPlusPos& element = *list.getItem(i);
        applyAttributes(element);
        drawString(clip, ox, oy, element.text(), i == part.index ? part.span : FillSpan{});
    }
    canvas_->setFontSize(savedSize);
    canvas_->setFontColor(savedColor);
    canvas_->setFontName(savedName);
    canvas_->setFontPitch(savedPitch);
}

void DrawCursor::drawRun(const TextRect& clip, const ExtendedCharPlusPos& run, FillSpan span)
{
    if (!canvas_ || span.isEmpty())
        return;
    const qint32 savedSize = canvas_->fontSize();
    const quint32 savedColor = canvas_->fontColor();
    const QByteArray savedName = canvas_->fontName();
    const quint8 savedPitch = canvas_->fontPitch();
    applyAttributes(run);
    drawString(clip, 0, 0, run.text(), span);
    canvas_->setFontSize(savedSize);
    canvas_->setFontColor(savedColor);
    canvas_->setFontName(savedName);
    canvas_->setFontPitch(savedPitch);
}
