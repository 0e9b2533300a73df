#pragma once

#include "controls/MouseReportingWidget.h"

// One character as a seven-segment digit: lit segments in foreColor, unlit in
// backColor, each segment barWidth strokes of one pixel with pointed ends.
// Nothing but the segments is painted, so whatever lies beneath shows
// through. Writing a property with its current value does nothing, not even
// a repaint, because the playback monitor writes every digit 20 times a second.
class DigitalDisplay : public MouseReportingWidget {
    Q_OBJECT
    Q_PROPERTY(quint32 foreColor READ foreColor WRITE setForColor)
    Q_PROPERTY(quint32 backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(int barLengthAdjust READ barLengthAdjust WRITE setBarLengthAdjust)
    Q_PROPERTY(int adjust23Pos READ adjust23Pos WRITE setAdjust23Pos)
    Q_PROPERTY(char number READ number WRITE setNumber)
    Q_PROPERTY(int barWidth READ barWidth WRITE setBarWidth)

public:
    explicit DigitalDisplay(QWidget* owner = nullptr);

    quint32 foreColor() const { return forColor_; }
    void setForColor(quint32 value);
    quint32 backColor() const { return backColor_; }
    void setBackColor(quint32 value);
    // Inset of each segment's ends from the corners and from the middle row.
    int barLengthAdjust() const { return barLengthAdjust_; }
    void setBarLengthAdjust(int value);
    // Downward shift of the two upper vertical segments.
    int adjust23Pos() const { return adjust23Pos_; }
    void setAdjust23Pos(int value);
    // '0' … '9' light their segments; any other character shows blank.
    char number() const { return number_; }
    void setNumber(char value);
    // Segment thickness; never below 1.
    int barWidth() const { return barWidth_; }
    void setBarWidth(int value);

    // Segment bits: 0x01 top, 0x02 upper right, 0x04 upper left, 0x08 middle,
    // 0x10 lower right, 0x20 lower left, 0x40 bottom.
    static quint8 patternFor(char character);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    quint32 forColor_ = 0x00FFFFFF;
    quint32 backColor_ = 0x00000000;
    int barLengthAdjust_ = 2;
    int adjust23Pos_ = 1;
    char number_ = '0';
    int barWidth_ = 1;
    quint8 pattern_ = 0x77;
};
