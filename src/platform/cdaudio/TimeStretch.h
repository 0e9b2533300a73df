#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <memory>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

// Slows disc audio (44.1 kHz stereo 16-bit) down with its pitch kept, for
// timing lyrics to a fast song. The output of a stream is exactly
// outputSamplesFor(input) long and output sample k is heard where disc sample
// discSamplesFor(k) was, so a position taken from what is heard stays in disc
// time whatever the speed.
//
// The stretcher copies the input in short sequences played at normal speed,
// each started a little further on than the last; within a sequence the
// audio runs ahead of the nominal place by up to a sequence's length times
// the slowing. leadSamples() is that lead on average, in disc samples: what
// heard output is worth is discSamplesFor(k) + leadSamples().
class TimeStretch {
public:
    static constexpr int SlowestPercent = 50;
    static constexpr int NormalPercent = 100;

    // percent: SlowestPercent..NormalPercent of the normal speed.
    explicit TimeStretch(int percent);
    ~TimeStretch();
    TimeStretch(const TimeStretch&) = delete;
    TimeStretch& operator=(const TimeStretch&) = delete;

    // Takes size bytes (whole stereo samples) and appends what is ready of
    // the slowed audio to out.
    void put(const char* pcm, qsizetype size, QByteArray& out);
    // The input has ended: appends the rest, cut or padded with silence to the
    // stream's exact length.
    void finish(QByteArray& out);

    int leadSamples() const { return leadSamples_; }

    static qint64 outputSamplesFor(qint64 inputSamples, int percent);
    static qint64 discSamplesFor(qint64 outputSamples, int percent);
    static bool validPercent(int percent) { return percent >= SlowestPercent && percent <= NormalPercent; }

private:
    void take(QByteArray& out, qint64 limit);

    int percent_;
    std::unique_ptr<soundtouch::SoundTouch> touch_;
    std::vector<float> floats_;
    qint64 inputSamples_ = 0;
    qint64 outputSamples_ = 0;
    int leadSamples_ = 0;
};
