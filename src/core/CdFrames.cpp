#include "core/CdFrames.h"

#include <algorithm>
#include <cstdio>

namespace {
struct Msf {
    int minutes, seconds, frames;
};

Msf toMsf(int frames)
{
    frames = std::max(frames, 0);
    return {frames / CdFrames::PerMinute, frames / CdFrames::PerSecond % 60, frames % CdFrames::PerSecond};
}
} // namespace

QByteArray CdFrames::formatMsf(int frames)
{
    const Msf at = toMsf(frames);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", at.minutes, at.seconds, at.frames);
    return QByteArray(text);
}

QByteArray CdFrames::formatTmsf(int track, int framesIntoTrack)
{
    char text[48];
    writeTmsf(text, sizeof text, track, framesIntoTrack);
    return QByteArray(text);
}

void CdFrames::writeTmsf(char* out, int size, int track, int framesIntoTrack)
{
    const Msf at = toMsf(framesIntoTrack);
    std::snprintf(out, size_t(std::max(size, 0)), "%02d:%02d:%02d:%02d", track, at.minutes, at.seconds,
                  at.frames);
}
