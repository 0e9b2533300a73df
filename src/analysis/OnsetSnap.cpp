#include "analysis/OnsetSnap.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

std::optional<int> OnsetSnap::nearest(const std::vector<qint64>& onsets, int frame, int windowMs,
                                      int earliest, int latest)
{
    const qint64 at = qint64(frame) * SamplesPerFrame;
    const qint64 window = qint64(windowMs) * 44100 / 1000;
    std::optional<int> best;
    qint64 bestDistance = 0;
    // Only the onsets inside the window.
    auto it = std::lower_bound(onsets.begin(), onsets.end(), at - window);
    for (; it != onsets.end() && *it <= at + window; ++it) {
        // An onset counts at the frame it falls in, rounded to the nearest.
        const int onsetFrame = int((*it + SamplesPerFrame / 2) / SamplesPerFrame);
        if (onsetFrame < earliest || onsetFrame > latest)
            continue;
        const qint64 distance = std::abs(*it - at);
        if (!best || distance < bestDistance) {
            best = onsetFrame;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<int> OnsetSnap::snapAll(const std::vector<Piece>& pieces, const std::vector<qint64>& onsets,
                                    int windowMs)
{
    std::vector<int> frames;
    frames.reserve(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        const int earliest = frames.empty() ? 0 : frames.back();
        const int latest = i + 1 < pieces.size() ? pieces[i + 1].frame : std::numeric_limits<int>::max();
        int frame = std::max(pieces[i].frame, earliest);
        if (pieces[i].hasText) {
            if (const std::optional<int> snapped =
                    nearest(onsets, pieces[i].frame, windowMs, earliest, latest))
                frame = *snapped;
        }
        frames.push_back(frame);
    }
    return frames;
}
