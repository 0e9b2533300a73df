#include "platform/cdaudio/PlaybackEngine.h"

#include "core/Logging.h"
#include "platform/cdaudio/DiscToc.h"
#include "platform/cdaudio/TimeStretch.h"

#include <QByteArray>

namespace {
// Frames read per step: about 0.1 s, so a stop never waits long.
constexpr int ChunkFrames = 8;
// About two seconds of audio read ahead: the sink is fed from its own thread,
// so this only has to cover a slow read of the disc or the file.
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
    deferred_.clear();
    busy_ = true; // nothing a sink's teardown delivers may start a new reader now
    stopAll();
    sink_.reset();
}

bool PlaybackEngine::start(int fromFrame, int endFrame)
{
    if (fromFrame >= endFrame)
        return false;
    return run({Request::Play, fromFrame, endFrame});
}

void PlaybackEngine::halt()
{
    run({Request::Halt});
}

void PlaybackEngine::setPosition(int frame)
{
    run({Request::Place, frame});
}

void PlaybackEngine::setTempo(int percent)
{
    if (TimeStretch::validPercent(percent))
        run({Request::Tempo, percent});
}

bool PlaybackEngine::run(const Request& request)
{
    if (busy_) {
        deferred_.push_back(request);
        return true;
    }
    busy_ = true;
    bool ok = apply(request);
    while (!deferred_.empty()) {
        const Request next = deferred_.front();
        deferred_.pop_front();
        ok = apply(next);
    }
    busy_ = false;
    return ok;
}

bool PlaybackEngine::apply(const Request& request)
{
    switch (request.kind) {
    case Request::Play:
        return play(request.from, request.end);
    case Request::Halt:
        stopAll();
        return true;
    case Request::Place:
        stopAll();
        heldFrame_ = lastHeard_ = request.from;
        return true;
    case Request::Tempo:
        if (request.from == tempo_)
            return true;
        tempo_ = request.from;
        return playing_ ? play(heardFrame(), endFrame_) : true;
    }
    return false;
}

void PlaybackEngine::setVolume(int percent)
{
    volume_ = percent;
    if (sink_)
        sink_->setVolume(percent);
}

std::optional<int> PlaybackEngine::volume()
{
    if (sink_)
        if (const auto heard = sink_->volume())
            volume_ = heard;
    return volume_;
}

void PlaybackEngine::ensureSink()
{
    if (sink_ && !sink_->failed() && !sink_->standsIn())
        return;
    // A failed output or a stand-in clock: the sound server may be back.
    std::unique_ptr<PcmSink> made = makeSink_ ? makeSink_() : nullptr;
    if (made) {
        volume(); // what the old output was last set to
        sink_ = std::move(made);
        if (volume_)
            sink_->setVolume(*volume_);
    }
    else if (sink_ && sink_->failed()) {
        standIn();
    }
}

void PlaybackEngine::standIn()
{
    if (!fallbackClock_) {
        sink_.reset();
        return;
    }
    sink_ = PcmSink::silentStandIn(*fallbackClock_);
}

bool PlaybackEngine::play(int fromFrame, int endFrame)
{
    stopAll();
    // Never replace a reader that has not been joined.
    if (thread_.joinable())
        thread_.join();
    ensureSink();
    if (!sink_)
        return false;
    ring_.reset();
    unreadable_ = 0;
    startFrame_ = fromFrame;
    endFrame_ = endFrame;
    lastHeard_ = fromFrame;
    playTempo_ = tempo_;
    std::unique_ptr<TimeStretch> stretch;
    if (tempo_ != TimeStretch::NormalPercent)
        stretch = std::make_unique<TimeStretch>(tempo_);
    playLead_ = stretch ? stretch->leadSamples() : 0;
    thread_ = std::thread([this, fromFrame, endFrame, stretch = std::move(stretch)]() mutable {
        readLoop(fromFrame, endFrame, std::move(stretch));
    });
    ring_.waitFor(PrimeBytes, 1000);
    sink_->start(ring_);
    if (sink_->failed() && fallbackClock_) {
        sink_->stop();
        standIn();
        sink_->start(ring_);
    }
    playing_ = true;
    return true;
}

void PlaybackEngine::readLoop(int fromFrame, int endFrame, std::unique_ptr<TimeStretch> stretch)
{
    QByteArray buffer(ChunkFrames * CdFrames::BytesPerFrame, Qt::Uninitialized);
    QByteArray slowed;
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
        const qsizetype size = qsizetype(count) * CdFrames::BytesPerFrame;
        if (stretch) {
            slowed.clear();
            stretch->put(buffer.constData(), size, slowed);
            if (!ring_.write(slowed.constData(), slowed.size()))
                return; // cancelled
        }
        else if (!ring_.write(buffer.constData(), size)) {
            return;
        }
        frame += count;
    }
    if (stretch) {
        slowed.clear();
        stretch->finish(slowed);
        if (!ring_.write(slowed.constData(), slowed.size()))
            return;
    }
    ring_.finish();
}

int PlaybackEngine::heardFrame()
{
    constexpr int SamplesPerFrame = CdFrames::BytesPerFrame / 4;
    const qint64 samples = TimeStretch::discSamplesFor(sink_->playedBytes() / 4, playTempo_);
    // Slowed audio runs a little ahead of its nominal place (from the first sample on, gradually).
    const qint64 frames = (samples + std::min<qint64>(playLead_, samples)) / SamplesPerFrame;
    lastHeard_ = int(std::min<qint64>(startFrame_ + frames, endFrame_));
    return lastHeard_;
}

void PlaybackEngine::stopAll()
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
    // Asked from inside a start or a stop (a tick delivered by the sink):
    // answer from what is known and touch nothing.
    if (busy_ || !playing_)
        return playing_;
    const int heard = heardFrame();
    if (heard >= endFrame_) {
        run({Request::Halt});
        heldFrame_ = lastHeard_ = endFrame_;
    }
    else if (sink_->failed()) {
        // The sound server went away: go on from what was heard, on a new
        // output if the server is back, else on the silent clock.
        run({Request::Play, heard, endFrame_});
    }
    return playing_;
}

int PlaybackEngine::position()
{
    if (busy_)
        return playing_ ? lastHeard_ : heldFrame_;
    // isPlaying() has just read the sink: asking it again would only cost time.
    return isPlaying() ? lastHeard_ : heldFrame_;
}
