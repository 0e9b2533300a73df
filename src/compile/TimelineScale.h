#pragma once

#include <QtGlobal>

// Where the timing view's columns fall in the track: how many samples one
// pixel shows (the zoom) and the sample at its left edge (the scroll), and
// how it follows the playhead. Frames are CD frames within the track, 588
// samples each.
class TimelineScale {
public:
    static constexpr int SamplesPerFrame = 588;
    static constexpr double FinestSamplesPerPixel = 32;      // a pixel per waveform block
    static constexpr double CoarsestSamplesPerPixel = 44100; // a second a pixel
    static constexpr double DefaultSamplesPerPixel = 441;    // 10 ms a pixel

    void setWidth(int pixels) { width_ = pixels; }
    int width() const { return width_; }
    void setLength(qint64 samples) { length_ = samples; }
    double samplesPerPixel() const { return samplesPerPixel_; }
    qint64 firstSample() const { return firstSample_; }

    int xOfSample(qint64 sample) const;
    int xOfFrame(int frame) const { return xOfSample(qint64(frame) * SamplesPerFrame); }
    qint64 sampleAtX(int x) const;
    // The nearest frame to a pixel.
    int frameAtX(int x) const;

    // Ctrl+wheel: each step in zooms by two, out by a half, the sample under
    // x staying under it.
    void zoom(int steps, int x);
    // The wheel: a step moves an eighth of the view, later for positive.
    void scroll(int steps);
    // Keeps the playhead in view: when it leaves the middle's right or the
    // view, the view jumps to put it a quarter in.
    void follow(int frame);

private:
    void clampScroll();

    int width_ = 0;
    qint64 length_ = 0;
    double samplesPerPixel_ = DefaultSamplesPerPixel;
    qint64 firstSample_ = 0;
};
