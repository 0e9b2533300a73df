#pragma once

#include <QByteArray>

// CD addressing: 75 frames a second, 588 stereo samples a frame. Disc
// addresses are absolute frames from the start of the disc, lead-in included,
// so the first track of a standard disc starts at frame 150 (2 seconds).
namespace CdFrames {
constexpr int PerSecond = 75;
constexpr int PerMinute = 60 * PerSecond;
constexpr int LeadIn = 150;
constexpr int SamplesPerFrame = 588;
constexpr int BytesPerFrame = 2352;

// "mm:ss:ff"; minutes keep a third digit past 99.
QByteArray formatMsf(int frames);
// "tt:mm:ss:ff": track number, then the time within that track.
QByteArray formatTmsf(int track, int framesIntoTrack);
// The same "tt:mm:ss:ff" written into out (NUL-terminated, cut to its size)
// without touching the heap: the position is asked for many times a second.
void writeTmsf(char* out, int size, int track, int framesIntoTrack);
} // namespace CdFrames
