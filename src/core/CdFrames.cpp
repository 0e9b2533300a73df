#include "core/CdFrames.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

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
    const int fields[] = {track, at.minutes, at.seconds, at.frames};
    // Asked for on every tick of the monitor: two-digit fields, the usual
    // case, are written without the formatter.
    if (size >= 12 &&
        std::all_of(std::begin(fields), std::end(fields), [](int v) { return v >= 0 && v <= 99; })) {
        for (int i = 0; i < 4; ++i) {
            out[i * 3] = char('0' + fields[i] / 10);
            out[i * 3 + 1] = char('0' + fields[i] % 10);
            out[i * 3 + 2] = i < 3 ? ':' : '\0';
        }
        return;
    }
    std::snprintf(out, size_t(std::max(size, 0)), "%02d:%02d:%02d:%02d", track, at.minutes, at.seconds,
                  at.frames);
}
