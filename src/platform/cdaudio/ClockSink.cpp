#include "platform/cdaudio/ClockSink.h"

#include "platform/Clock.h"
#include "platform/cdaudio/PcmRing.h"

void ClockSink::start(PcmRing& ring)
{
    ring_ = &ring;
    startMs_ = clock_.nowMs();
    played_ = 0;
}

void ClockSink::stop()
{
    if (ring_)
        playedBytes();
    ring_ = nullptr;
}

qint64 ClockSink::playedBytes()
{
    if (!ring_)
        return played_;
    const qint64 due = (clock_.nowMs() - startMs_) * CdAudioFormat::BytesPerSecond / 1000 / 4 * 4;
    if (due > played_) {
        played_ += ring_->discard(due - played_);
        // Starved: the clock stands still until the reader catches up.
        if (played_ < due)
            startMs_ += (due - played_) * 1000 / CdAudioFormat::BytesPerSecond;
    }
    return played_;
}
