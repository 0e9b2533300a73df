#pragma once

#include "PcmSink.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <memory>

class QAudioSink;
class QIODevice;

// The sound output through Qt Multimedia (PulseAudio or PipeWire). The sink
// pulls from the ring on the thread that created it; the played count is what
// the output reports as processed, which already leaves out its latency.
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
    std::unique_ptr<QIODevice> feed_;
    std::unique_ptr<QAudioSink> sink_;
    PcmRing* ring_ = nullptr;
    qint64 lastReported_ = -1;
    QElapsedTimer sinceChange_;
    bool failed_ = false;
};
