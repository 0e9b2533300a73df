#pragma once

#include "platform/cdaudio/CdAudioDevice.h"
#include "platform/cdaudio/DiscToc.h"
#include "platform/cdaudio/ManualSink.h"
#include "platform/cdaudio/PcmRing.h"
#include "platform/cdaudio/PcmSink.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTest>
#include <QtEndian>
#include <cstring>
#include <functional>

// Frames that say which frame they are: every stereo sample of frame f holds
// f as a little-endian 32-bit number, so any four bytes heard name their frame.
namespace EngineFixtures {
// A device command's reply, its result code in *result.
inline QByteArray ask(CdAudioDevice& device, const char* command, int* result = nullptr)
{
    ReplyBuffer reply;
    const int code = device.sendCommand(command, reply);
    if (result)
        *result = code;
    return reply.toByteArray();
}

// Plays frames by hand, waiting for the reader thread to have queued them.
inline void playByHand(ManualSink& sink, int frames)
{
    qint64 left = qint64(frames) * CdFrames::BytesPerFrame;
    QElapsedTimer waited;
    waited.start();
    while (left > 0 && waited.elapsed() < 5000)
        left -= sink.play(left);
    QCOMPARE(left, 0);
}

inline bool readNumberedFrames(int frame, int count, char* out, QString*)
{
    for (int i = 0; i < count; ++i)
        for (int s = 0; s < CdFrames::SamplesPerFrame; ++s)
            qToLittleEndian(qint32(frame + i), out + qsizetype(i) * CdFrames::BytesPerFrame + 4 * s);
    return true;
}

inline int frameOf(const char* sample)
{
    return qFromLittleEndian<qint32>(sample);
}

// A sink moved by hand whose start and stop can run the event loop, as Qt's
// own audio output does when it is torn down, and that can be made to fail.
class HandSink final : public PcmSink {
public:
    void start(PcmRing& ring) override
    {
        ring_ = &ring;
        played_ = 0;
        heard_.clear();
        ++starts;
        failed_ = failAtStart;
        if (eventLoopInside)
            QCoreApplication::processEvents();
    }
    void stop() override
    {
        ring_ = nullptr;
        ++stops;
        if (eventLoopInside)
            QCoreApplication::processEvents();
    }
    qint64 playedBytes() override { return played_; }
    bool failed() const override { return failed_; }

    // Plays up to size bytes, waiting a little for the reader to queue them.
    qint64 play(qint64 size)
    {
        qint64 done = 0;
        QElapsedTimer waited;
        waited.start();
        while (ring_ && done < size && waited.elapsed() < 3000) {
            QByteArray chunk(size - done, Qt::Uninitialized);
            const qint64 n = ring_->read(chunk.data(), chunk.size());
            heard_.append(chunk.constData(), n);
            done += n;
            if (n == 0)
                ring_->waitFor(4, 20);
        }
        played_ += done;
        return done;
    }
    qint64 playFrames(int frames) { return play(qint64(frames) * CdFrames::BytesPerFrame); }
    // The frame of the first sample heard since start; -1 before any.
    int firstHeardFrame() const { return heard_.size() >= 4 ? frameOf(heard_.constData()) : -1; }
    void breakDown() { failed_ = true; }

    bool eventLoopInside = false;
    bool failAtStart = false;
    int starts = 0;
    int stops = 0;

private:
    PcmRing* ring_ = nullptr;
    qint64 played_ = 0;
    QByteArray heard_;
    bool failed_ = false;
};
} // namespace EngineFixtures
