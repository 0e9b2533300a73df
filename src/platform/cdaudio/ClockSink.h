#pragma once

#include "platform/cdaudio/PcmSink.h"

// A sink with no output device: it takes samples from the ring at real-time
// speed on a clock and throws them away. When the reader falls behind, the
// clock waits for it, so the position never runs ahead of the audio.
class ClockSink final : public PcmSink {
public:
    explicit ClockSink(const Clock& clock) : clock_(clock) {}

    void start(PcmRing& ring) override;
    void stop() override;
    qint64 playedBytes() override;

private:
    const Clock& clock_;
    PcmRing* ring_ = nullptr;
    qint64 startMs_ = 0;
    qint64 played_ = 0;
};
