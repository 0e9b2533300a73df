#pragma once

#include "analysis/OnsetSettings.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Finds note onsets in mono 44.1 kHz samples fed in pieces of any size. The
// onsets are sample numbers from the first sample fed, each at the start of
// its attack (see attackStart).
class OnsetDetector {
public:
    static constexpr int SampleRate = 44100;
    static constexpr int WindowSamples = 1024;
    static constexpr int HopSamples = 256;

    // Null with the reason for a method aubio does not know.
    struct Created;
    static Created create(const OnsetSettings& settings);
    ~OnsetDetector();
    OnsetDetector(const OnsetDetector&) = delete;
    OnsetDetector& operator=(const OnsetDetector&) = delete;

    void feed(const float* samples, qsizetype count);
    // Flushes the last partial hop and merges what the detectors found; the
    // onsets are known only afterwards.
    void finish();
    const std::vector<qint64>& onsets() const { return onsets_; }

    // The method names aubio knows.
    static QStringList methods();

private:
    struct Aubio;
    OnsetDetector(std::vector<std::unique_ptr<Aubio>> detectors, qint64 minimumGap);
    void runHop();
    qint64 attackStart(qint64 onset) const;

    std::vector<std::unique_ptr<Aubio>> detectors_;
    qint64 minimumGap_;
    int filled_ = 0;
    std::vector<qint64> found_;
    // The energy of every EnvelopeBlock samples fed, to find where an attack starts.
    static constexpr int EnvelopeBlock = 64;
    std::vector<float> envelope_;
    float blockEnergy_ = 0;
    int inBlock_ = 0;
    std::vector<qint64> onsets_;
};

struct OnsetDetector::Created {
    std::unique_ptr<OnsetDetector> detector;
    QString error;
};
