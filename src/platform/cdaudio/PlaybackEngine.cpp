#include "platform/cdaudio/PlaybackEngine.h"

#include "core/Logging.h"
#include "platform/cdaudio/ClockSink.h"
#include "platform/cdaudio/DiscToc.h"

#include <QByteArray>
#include <cstdio>

namespace {
// Frames read per step: about 0.1 s, so a stop never waits long.
constexpr int ChunkFrames = 8;
// About two seconds of audio read ahead.
constexpr qsizetype RingBytes = 150 * CdFrames::BytesPerFrame;
// Audio queued before the sink starts, so it does not begin with an underrun.
constexpr qsizetype PrimeBytes = 15 * CdFrames::BytesPerFrame;
} // namespace

PlaybackEngine::PlaybackEngine(FrameReader reader, SinkMaker makeSink, const Clock* fallbackClock)
    : reader_(std::move(reader)), makeSink_(std::move(makeSink)), fallbackClock_(fallbackClock),
      ring_(RingBytes)
{
}

PlaybackEngine::~PlaybackEngine()
{
    halt();
}

bool PlaybackEngine::start(int fromFrame, int endFrame)
{
    if (fromFrame >= endFrame)
        return false;
    halt();
    if (!sink_)
        sink_ = makeSink_();
    if (!sink_)
        return false;
    ring_.reset();
    unreadable_ = 0;
    startFrame_ = fromFrame;
    endFrame_ = endFrame;
    thread_ = std::thread([this, fromFrame, endFrame] { readLoop(fromFrame, endFrame); });
    ring_.waitFor(PrimeBytes, 1000);
    sink_->start(ring_);
    if (sink_->failed() && fallbackClock_) {
        qCWarning(lcSound, "the sound output refused to play; playing silently on a real-time clock");
        sink_->stop();
        sink_ = std::make_unique<ClockSink>(*fallbackClock_);
        sink_->start(ring_);
    }
    playing_ = true;
    return true;
}

void PlaybackEngine::readLoop(int fromFrame, int endFrame)
{
    QByteArray buffer(ChunkFrames * CdFrames::BytesPerFrame, Qt::Uninitialized);
    bool told = false;
    for (int frame = fromFrame; frame < endFrame;) {
        const int count = std::min(ChunkFrames, endFrame - frame);
        QString error;
        if (!reader_(frame, count, buffer.data(), &error)) {
            unreadable_ += count;
            if (!told) {
                qCWarning(lcSound, "%s; playing silence instead", qPrintable(error));
                told = true;
            }
        }
        if (!ring_.write(buffer.constData(), qsizetype(count) * CdFrames::BytesPerFrame))
            return; // cancelled
        frame += count;
    }
    ring_.finish();
}

int PlaybackEngine::heardFrame()
{
    const qint64 frames = sink_->playedBytes() / CdFrames::BytesPerFrame;
    return int(std::min<qint64>(startFrame_ + frames, endFrame_));
}

void PlaybackEngine::halt()
{
    if (playing_)
        heldFrame_ = heardFrame();
    playing_ = false;
    ring_.cancel();
    if (thread_.joinable())
        thread_.join();
    if (sink_)
        sink_->stop();
}

bool PlaybackEngine::isPlaying()
{
    if (playing_ && heardFrame() >= endFrame_) {
        heldFrame_ = endFrame_;
        playing_ = false;
        ring_.cancel();
        if (thread_.joinable())
            thread_.join();
        sink_->stop();
    }
    return playing_;
}

int PlaybackEngine::position()
{
    return isPlaying() ? heardFrame() : heldFrame_;
}

void PlaybackEngine::setPosition(int frame)
{
    halt();
    heldFrame_ = frame;
}
