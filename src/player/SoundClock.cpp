#include "player/SoundClock.h"

#include <algorithm>

namespace {
constexpr qint64 ThirdsPerFrame = 3 * 1000 / CdFrames::PerSecond;
} // namespace

void SoundClock::observe(qint64 wallMs, const TrackPosition& position)
{
    const int frames = position.totalFrames();
    const qint64 high = 3 * wallMs - ThirdsPerFrame * frames;
    const qint64 low = high - ThirdsPerFrame;
    const qint64 narrowedLow = std::max(low_, low);
    const qint64 narrowedHigh = std::min(high_, high);
    if (reports_ > 0 && narrowedLow < narrowedHigh) {
        low_ = narrowedLow;
        high_ = narrowedHigh;
        moved_ = frames != lastFrames_;
        ++reports_;
    }
    else {
        low_ = low;
        high_ = high;
        moved_ = false;
        reports_ = 1;
    }
    lastFrames_ = frames;
}

qint64 SoundClock::trackMsAt(qint64 wallMs) const
{
    const qint64 thirds = 3 * wallMs - high_;
    return thirds >= 0 ? thirds / 3 : -((2 - thirds) / 3);
}
