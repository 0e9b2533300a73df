#pragma once

#include "analysis/OnsetSettings.h"
#include "analysis/PeakSummary.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TrackReader;

// What is known of one track: its waveform and its note onsets, as sample
// numbers from the track's start (44.1 kHz, 588 to a CD frame).
struct TrackAnalysis {
    qint64 samples = 0;
    PeakSummary peaks;
    std::vector<qint64> onsets;

    struct Result;
    // Reads the whole track once, feeding the waveform and the detector.
    // progress gets 0..100 as it goes; returning false stops the work (no
    // result, an empty reason).
    static Result analyze(TrackReader& reader, const OnsetSettings& settings,
                          const std::function<bool(int percent)>& progress = {});
};

struct TrackAnalysis::Result {
    std::shared_ptr<const TrackAnalysis> analysis;
    QString error;
};
