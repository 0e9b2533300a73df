#pragma once

#include <QtGlobal>
#include <optional>
#include <vector>

// Moving timed pieces onto note onsets. Times are CD frames within the
// track; onsets are samples from the track's start, in order.
namespace OnsetSnap {
constexpr int SamplesPerFrame = 588;

// The frame of the onset nearest to frame within windowMs, kept within
// [earliest, latest]; nullopt when there is none.
std::optional<int> nearest(const std::vector<qint64>& onsets, int frame, int windowMs, int earliest,
                           int latest);

struct Piece {
    int frame;
    bool hasText;
};
// Every piece with text moved to its nearest onset, never before the piece
// before it (as moved) nor after the piece after it (as it was), so the
// order never changes; pieces without text stay. Returns the new frames.
std::vector<int> snapAll(const std::vector<Piece>& pieces, const std::vector<qint64>& onsets, int windowMs);
} // namespace OnsetSnap
