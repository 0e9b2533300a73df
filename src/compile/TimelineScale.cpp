#include "compile/TimelineScale.h"

#include <algorithm>
#include <cmath>

int TimelineScale::xOfSample(qint64 sample) const
{
    return int(std::floor(double(sample - firstSample_) / samplesPerPixel_));
}

qint64 TimelineScale::sampleAtX(int x) const
{
    return firstSample_ + qint64(std::floor(x * samplesPerPixel_));
}

int TimelineScale::frameAtX(int x) const
{
    const double sample = firstSample_ + (x + 0.5) * samplesPerPixel_;
    return std::max(0, int(std::lround(sample / SamplesPerFrame)));
}

void TimelineScale::zoom(int steps, int x)
{
    const qint64 anchor = sampleAtX(x);
    samplesPerPixel_ =
        std::clamp(samplesPerPixel_ * std::pow(2.0, -steps), FinestSamplesPerPixel, CoarsestSamplesPerPixel);
    firstSample_ = anchor - qint64(std::floor(x * samplesPerPixel_));
    clampScroll();
}

void TimelineScale::scroll(int steps)
{
    firstSample_ += qint64(steps * std::max(1, width_ / 8) * samplesPerPixel_);
    clampScroll();
}

void TimelineScale::follow(int frame)
{
    const int x = xOfFrame(frame);
    if (x >= 0 && x <= width_ * 3 / 4)
        return;
    firstSample_ = qint64(frame) * SamplesPerFrame - qint64(width_ / 4 * samplesPerPixel_);
    clampScroll();
}

// Never before the track's start; the end may be left of the right edge.
void TimelineScale::clampScroll()
{
    const qint64 latest = std::max<qint64>(0, length_ - qint64(width_ / 2 * samplesPerPixel_));
    firstSample_ = std::clamp<qint64>(firstSample_, 0, latest);
}
