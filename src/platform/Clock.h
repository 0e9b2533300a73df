#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// Milliseconds on a monotonic clock. Simulated discs and timing code take it
// by interface so tests can move time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
};

class SteadyClock final : public Clock {
public:
    SteadyClock() { timer_.start(); }
    qint64 nowMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};

class ManualClock final : public Clock {
public:
    qint64 nowMs() const override { return now_; }
    void advance(qint64 ms) { now_ += ms; }
    void set(qint64 ms) { now_ = ms; }

private:
    qint64 now_ = 0;
};
