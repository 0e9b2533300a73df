#pragma once

#include "core/TrackPosition.h"

#include <QtGlobal>

// The track's time to the millisecond between the ticks, from the positions a
// playing disc reports in whole frames (75 a second) at each tick. Each report
// bounds the moment the track started on the wall clock to one frame's width;
// the reports of a few ticks, taken at different phases of the frame, narrow
// it to a few milliseconds. A report that falls outside the bounds (a seek, a
// disc that stopped moving, a new track) starts over from itself alone.
//
// The time given is the earliest the bounds allow, so it is never ahead of the
// disc: something timed by it happens at the disc's time or a little after.
class SoundClock {
public:
    void observe(qint64 wallMs, const TrackPosition& position);
    void reset() { reports_ = 0; }
    // Two reports in a row agree and the disc moved between them.
    bool running() const { return reports_ >= 2 && moved_; }
    // Milliseconds within the track at wallMs; meaningful after a report.
    qint64 trackMsAt(qint64 wallMs) const;
    // How far apart the bounds are, in milliseconds.
    qint64 uncertaintyMs() const { return (high_ - low_ + 2) / 3; }

private:
    // The wall clock minus the track time, in thirds of a millisecond (a
    // frame is exactly 40): within (low_, high_].
    qint64 low_ = 0;
    qint64 high_ = 0;
    int reports_ = 0;
    bool moved_ = false;
    int lastFrames_ = 0;
};
