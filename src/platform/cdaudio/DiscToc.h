#pragma once

#include "core/CdFrames.h"

#include <QByteArray>
#include <vector>

// Table of contents: where each track starts and where the disc ends.
struct DiscToc {
    std::vector<int> trackStarts; // absolute frame of track 1, 2, ...
    int leadOut = 0;              // absolute frame just past the last track

    int trackCount() const { return int(trackStarts.size()); }
    bool hasTrack(int track) const { return track >= 1 && track <= trackCount(); }
    int trackStart(int track) const { return trackStarts[size_t(track - 1)]; }
    int trackEnd(int track) const { return track < trackCount() ? trackStart(track + 1) : leadOut; }
    int trackLength(int track) const { return trackEnd(track) - trackStart(track); }
    int discLength() const { return trackStarts.empty() ? 0 : leadOut - trackStarts.front(); }
    // The track holding an absolute frame; frames before track 1 belong to track 1.
    int trackAt(int frame) const;
};
