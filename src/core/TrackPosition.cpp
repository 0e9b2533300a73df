#include "core/TrackPosition.h"

namespace {
qint16 wrap16(int value)
{
    return qint16(quint16(value & 0xFFFF));
}
} // namespace

TrackPosition TrackPosition::fromFrames(int frames)
{
    const int minutes = frames / CdFrames::PerMinute;
    const int seconds = frames / CdFrames::PerSecond % 60;
    return {wrap16(minutes), wrap16(seconds), wrap16(frames % CdFrames::PerSecond)};
}

void TrackPosition::addDelta(TrackPosition& time, const TrackPosition& delta)
{
    int frames = time.frames + delta.frames;
    int seconds = time.seconds;
    int minutes = time.minutes;
    if (frames >= CdFrames::PerSecond) {
        frames -= CdFrames::PerSecond;
        seconds += 1;
    }
    seconds += delta.seconds;
    if (seconds > 59) {
        seconds -= 60;
        minutes += 1;
    }
    minutes += delta.minutes;
    time = {wrap16(minutes), wrap16(seconds), wrap16(frames)};
}

TrackPosition TrackPosition::timeDelta(const TrackPosition& current, const TrackPosition& previous)
{
    int frames = current.frames - previous.frames;
    int seconds = current.seconds - previous.seconds;
    int minutes = current.minutes - previous.minutes;
    if (frames < 0) {
        frames += CdFrames::PerSecond;
        seconds -= 1;
    }
    if (seconds < 0) {
        seconds += 60;
        minutes -= 1;
    }
    return {wrap16(minutes), wrap16(seconds), wrap16(frames)};
}
