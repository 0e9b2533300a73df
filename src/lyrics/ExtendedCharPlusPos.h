#pragma once

#include "lyrics/ExtendedChar.h"

// A run with an optional pen position: when set, drawing moves the pen to
// (x, y) before the run's text. Once set, a position is never cleared.
class ExtendedCharPlusPos : public ExtendedChar {
public:
    void setPos(qint32 x, qint32 y)
    {
        x_ = x;
        y_ = y;
        hasPos_ = true;
    }
    bool getPos(qint32& x, qint32& y) const
    {
        x = x_;
        y = y_;
        return hasPos_;
    }
    bool hasPos() const { return hasPos_; }

private:
    qint32 x_ = 0;
    qint32 y_ = 0;
    bool hasPos_ = false;
};
