#pragma once

#include <QByteArray>
#include <vector>

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
}  // namespace CdFrames

// Table of contents: where each track starts and where the disc ends.
struct DiscToc {
    std::vector<int> trackStarts;  // absolute frame of track 1, 2, ...
    int leadOut = 0;               // absolute frame just past the last track

    int trackCount() const { return int(trackStarts.size()); }
    bool hasTrack(int track) const { return track >= 1 && track <= trackCount(); }
    int trackStart(int track) const { return trackStarts[size_t(track - 1)]; }
    int trackEnd(int track) const { return track < trackCount() ? trackStart(track + 1) : leadOut; }
    int trackLength(int track) const { return trackEnd(track) - trackStart(track); }
    int discLength() const { return trackStarts.empty() ? 0 : leadOut - trackStarts.front(); }
    // The track holding an absolute frame; frames before track 1 belong to track 1.
    int trackAt(int frame) const;
};
