#pragma once

#include "core/CdFrames.h"

#include <QtGlobal>

// Minutes, seconds and frames within the current track; 75 frames a second.
// Compared in that order. Lyrics files store their times as deltas of this
// shape, each field a signed 16-bit integer that wraps like the file's.
struct TrackPosition {
    qint16 minutes = 0;
    qint16 seconds = 0;
    qint16 frames = 0;
    friend bool operator==(const TrackPosition&, const TrackPosition&) = default;

    // Total frames, for arithmetic that must not carry field by field.
    int totalFrames() const { return (int(minutes) * 60 + seconds) * CdFrames::PerSecond + frames; }
    static TrackPosition fromFrames(int frames);

    // Adds a lyrics record's delta to a running absolute time, carrying frames
    // past 74 and seconds past 59 once each, the way lyrics files have always
    // been read.
    static void addDelta(TrackPosition& time, const TrackPosition& delta);
    // current - previous, borrowing 75 frames and 60 seconds. Minutes are not
    // clamped: a position that went backwards gives negative minutes.
    static TrackPosition timeDelta(const TrackPosition& current, const TrackPosition& previous);
};
