#pragma once

#include "platform/cdaudio/PcmSink.h"

#include <QAudioDevice>
#include <QByteArray>
#include <QElapsedTimer>
#include <memory>

class QAudioSink;
class QIODevice;
class QTimer;

// The sound output through Qt Multimedia (PulseAudio or PipeWire). A timer on
// the thread that created the sink moves audio from the ring into the output
// as it makes room; the played count is what the output reports as
// processed, which already leaves out its latency.
class QtAudioOutputSink final : public PcmSink {
public:
    explicit QtAudioOutputSink(const QAudioDevice& device);
    ~QtAudioOutputSink() override;

    void start(PcmRing& ring) override;
    void stop() override;
    qint64 playedBytes() override;

    bool failed() const override { return failed_; }

private:
    QAudioDevice device_;
    void feed();

    std::unique_ptr<QAudioSink> sink_;
    std::unique_ptr<QTimer> timer_;
    QIODevice* output_ = nullptr;
    QByteArray pending_; // taken from the ring, not yet accepted by the output
    qint64 handedOut_ = 0;
    PcmRing* ring_ = nullptr;
    qint64 lastReported_ = -1;
    QElapsedTimer sinceChange_;
    bool failed_ = false;
};
