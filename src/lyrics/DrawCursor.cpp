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

void DrawCursor::drawString(const TextRect& clip, int ox, int oy, QByteArrayView text)
{
    if (!canvas_)
        return;
    QByteArrayView rest = text;
    while (!rest.isEmpty()) {
        const qsizetype lineFeed = rest.indexOf('\n');
        const bool lineBreak = lineFeed >= 0;
        QByteArrayView line = lineBreak ? rest.first(lineFeed) : rest;
        if (lineBreak && line.endsWith('\r'))
            line.chop(1);
        const qsizetype consumed = lineBreak ? lineFeed + 1 : rest.size();

        const int x0 = ox + pen_.x() + origin_.x();
        const int y0 = oy + pen_.y() + origin_.y();
        const int width = canvas_->textWidth(line);
        const TextRect cell{std::max(x0, clip.left), std::max(y0, clip.top), std::min(x0 + width, clip.right),
                            std::min(y0 + canvas_->textHeight(rest), clip.bottom)};
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

void DrawCursor::drawExtendedText(const TextRect& clip, int ox, int oy, const ExtendedText& list)
{
    if (!canvas_)
        return;
    const qint32 savedSize = canvas_->fontSize();
    const quint32 savedColor = canvas_->fontColor();
    const QByteArray savedName = canvas_->fontName();
    const quint8 savedPitch = canvas_->fontPitch();
    for (qint32 i = 0; i < list.count(); ++i) {
        const ExtendedCharPlusPos& element = *list.getItem(i);
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
        drawString(clip, ox, oy, element.text());
    }
    canvas_->setFontSize(savedSize);
    canvas_->setFontColor(savedColor);
    canvas_->setFontName(savedName);
    canvas_->setFontPitch(savedPitch);
}
