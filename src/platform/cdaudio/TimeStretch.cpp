#include "platform/cdaudio/TimeStretch.h"

#include "platform/cdaudio/PcmSink.h"

#include <SoundTouch.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr int Channels = 2;
constexpr int BytesPerSample = 4; // one stereo sample
// Samples asked of the stretcher per call.
constexpr int TakeSamples = 4096;
} // namespace

TimeStretch::TimeStretch(int percent)
    : percent_(std::clamp(percent, SlowestPercent, NormalPercent)),
      touch_(std::make_unique<soundtouch::SoundTouch>())
{
    touch_->setSampleRate(CdAudioFormat::SampleRate);
    touch_->setChannels(Channels);
    touch_->setTempo(percent_ / 100.0);
    touch_->setPitch(1.0);
    touch_->setRate(1.0);
    const int sequence = touch_->getSetting(SETTING_NOMINAL_OUTPUT_SEQUENCE);
    leadSamples_ = int(std::lround(sequence * (1.0 - percent_ / 100.0) / 2));
}

TimeStretch::~TimeStretch() = default;

qint64 TimeStretch::outputSamplesFor(qint64 inputSamples, int percent)
{
    return (inputSamples * NormalPercent + percent - 1) / percent;
}

qint64 TimeStretch::discSamplesFor(qint64 outputSamples, int percent)
{
    return outputSamples * percent / NormalPercent;
}

void TimeStretch::put(const char* pcm, qsizetype size, QByteArray& out)
{
    const qsizetype samples = size / BytesPerSample;
    floats_.resize(size_t(samples) * Channels);
    for (qsizetype i = 0; i < samples * Channels; ++i) {
        qint16 value;
        std::memcpy(&value, pcm + i * 2, 2);
        floats_[size_t(i)] = float(value) / 32768.0f;
    }
    touch_->putSamples(floats_.data(), uint(samples));
    inputSamples_ += samples;
    // While input still comes, the stream may not yet run past what the input so far makes.
    take(out, outputSamplesFor(inputSamples_, percent_));
}

void TimeStretch::finish(QByteArray& out)
{
    const qint64 total = outputSamplesFor(inputSamples_, percent_);
    touch_->flush();
    take(out, total);
    if (outputSamples_ < total) {
        out.append(QByteArray((total - outputSamples_) * BytesPerSample, '\0'));
        outputSamples_ = total;
    }
    touch_->clear();
}

void TimeStretch::take(QByteArray& out, qint64 limit)
{
    float buffer[TakeSamples * Channels];
    for (;;) {
        const uint got = touch_->receiveSamples(buffer, TakeSamples);
        if (got == 0)
            return;
        const qint64 keep = std::clamp<qint64>(limit - outputSamples_, 0, got);
        const qsizetype at = out.size();
        out.resize(at + keep * BytesPerSample);
        char* to = out.data() + at;
        for (qint64 i = 0; i < keep * Channels; ++i) {
            const float scaled = std::clamp(buffer[i] * 32768.0f, -32768.0f, 32767.0f);
            const auto value = qint16(std::lrint(scaled));
            std::memcpy(to + i * 2, &value, 2);
        }
        outputSamples_ += keep;
    }
}
