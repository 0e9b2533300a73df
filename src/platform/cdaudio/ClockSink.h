#pragma once

#include "platform/cdaudio/PcmSink.h"

// A sink with no output device: it takes samples from the ring at real-time
// speed on a clock and throws them away. When the reader falls behind, the
// clock waits for it, so the position never runs ahead of the audio.
class ClockSink final : public PcmSink {
public:
    // standsIn: made because no sound server answered.
    explicit ClockSink(const Clock& clock, bool standsIn = false) : clock_(clock), standsIn_(standsIn) {}

    void start(PcmRing& ring) override;
    void stop() override;
    qint64 playedBytes() override;
    bool standsIn() const override { return standsIn_; }

private:
    const Clock& clock_;
    bool standsIn_;
    PcmRing* ring_ = nullptr;
    qint64 startMs_ = 0;
    qint64 played_ = 0;
};
