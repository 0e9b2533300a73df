#pragma once

#include "platform/cdaudio/PcmSink.h"

#include <QByteArray>

// A sink moved by hand, for tests and benchmarks: play() takes bytes from the
// ring as an output device would, and keeps them for inspection.
class ManualSink final : public PcmSink {
public:
    void start(PcmRing& ring) override;
    void stop() override;
    qint64 playedBytes() override { return played_; }

    // Plays up to size bytes that the ring holds; returns how many.
    qint64 play(qint64 size);
    // Every byte played since start.
    const QByteArray& heard() const { return heard_; }
    int starts() const { return starts_; }

private:
    PcmRing* ring_ = nullptr;
    qint64 played_ = 0;
    QByteArray heard_;
    int starts_ = 0;
};
