#pragma once

#include "lyrics/ExtendedChar.h"

// A run with an optional pen position: when set, drawing moves the pen to
// (x, y) before the run's text, on a line already lineHeight tall (the run
// continues a line that taller text began). Once set, a position is never
// cleared.
class ExtendedCharPlusPos : public ExtendedChar {
public:
    void setPos(qint32 x, qint32 y, qint32 lineHeight = 0)
    {
        x_ = x;
        y_ = y;
        lineHeight_ = lineHeight;
        hasPos_ = true;
    }
    qint32 lineHeight() const { return lineHeight_; }
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
    qint32 lineHeight_ = 0;
    bool hasPos_ = false;
};
