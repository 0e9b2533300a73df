#include "controls/DigitalDisplay.h"

#include "core/ColorValue.h"

#include <QMouseEvent>
#include <QPainter>
#include <cstdlib>

DigitalDisplay::DigitalDisplay(QWidget* owner) : MouseReportingWidget(owner)
{
    resize(30, 60);
}

quint8 DigitalDisplay::patternFor(char character)
{
    static constexpr quint8 digits[10] = {0x77, 0x12, 0x6B, 0x5B, 0x1E, 0x5D, 0x7D, 0x17, 0x7F, 0x5F};
    if (character < '0' || character > '9')
        return 0x00;
    return digits[character - '0'];
}

void DigitalDisplay::setForColor(quint32 value)
{
    if (value == forColor_)
        return;
    forColor_ = value;
    update();
}

void DigitalDisplay::setBackColor(quint32 value)
{
    if (value == backColor_)
        return;
    backColor_ = value;
    update();
}

void DigitalDisplay::setBarLengthAdjust(int value)
{
    if (value == barLengthAdjust_)
        return;
    barLengthAdjust_ = value;
    update();
}

void DigitalDisplay::setAdjust23Pos(int value)
{
    if (value == adjust23Pos_)
        return;
    adjust23Pos_ = value;
    update();
}

void DigitalDisplay::setNumber(char value)
{
    if (value == number_)
        return;
    number_ = value;
    pattern_ = patternFor(value);
    update();
}

void DigitalDisplay::setBarWidth(int value)
{
    if (value == barWidth_)
        return;
    barWidth_ = value < 1 ? 1 : value;
    update();
}

void DigitalDisplay::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();
    const int b = barWidth_;
    const int l = barLengthAdjust_;
    const int a = adjust23Pos_;
    const int k = b / 2;
    const int m = h / 2 - 1; // centre row of the middle segment

    // Band = first row (horizontal) or column (vertical) of the segment; the
    // span runs from `from` up to, not including, `to`.
    struct Segment {
        bool horizontal;
        int band;
        int from;
        int to;
    };
    const Segment segments[7] = {
        {true, 0, l, w - l},              // top
        {false, w - b, l + a, m - l + a}, // upper right
        {false, 0, l + a, m - l + a},     // upper left
        {true, m - k, l, w - l},          // middle
        {false, w - b, m + l, h - 1 - l}, // lower right
        {false, 0, m + l, h - 1 - l},     // lower left
        {true, h - b, l, w - l},          // bottom
    };

    const QColor lit = ColorValue::toQColor(forColor_, palette());
    const QColor unlit = ColorValue::toQColor(backColor_, palette());
    QPainter painter(this);
    for (int i = 0; i < 7; ++i) {
        const Segment& s = segments[i];
        const QColor& colour = (pattern_ & (1 << i)) ? lit : unlit;
        for (int j = 0; j < b; ++j) {
            // Strokes away from the centre of the band lose a pixel at each
            // end per step, which gives the segment its pointed ends.
            const int shorten = std::abs(2 * j - (b - 1)) / 2;
            const int start = s.from + shorten;
            const int end = s.to - shorten;
            if (end <= start)
                continue;
            if (s.horizontal)
                painter.fillRect(start, s.band + j, end - start, 1, colour);
            else
                painter.fillRect(s.band + j, start, 1, end - start, colour);
        }
    }
}
