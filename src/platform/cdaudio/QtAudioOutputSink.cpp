#include "platform/cdaudio/QtAudioOutputSink.h"

#include "platform/cdaudio/PcmRing.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QTimer>

namespace {
// When the output has taken the last byte and its clock stands still this
// long, everything has been heard.
constexpr qint64 DrainSettleMs = 400;
} // namespace

QtAudioOutputSink::QtAudioOutputSink(const QAudioDevice& device) : device_(device)
{
}

QtAudioOutputSink::~QtAudioOutputSink()
{
    stop();
}

void QtAudioOutputSink::start(PcmRing& ring)
{
    stop();
    QAudioFormat format;
    format.setSampleRate(CdAudioFormat::SampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    ring_ = &ring;
    pending_.clear();
    handedOut_ = 0;
    lastReported_ = -1;
    sink_ = std::make_unique<QAudioSink>(device_, format);
    output_ = sink_->start();
    failed_ = !output_ || sink_->error() == QAudio::OpenError;
    if (failed_)
        return;
    // The first write waits for the timer: the output's stream is still being
    // set up right after start() and stalls when written to at once.
    timer_ = std::make_unique<QTimer>();
    timer_->setInterval(10);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { feed(); });
    timer_->start();
}

void QtAudioOutputSink::stop()
{
    timer_.reset();
    if (sink_)
        sink_->stop();
    sink_.reset();
    output_ = nullptr;
    ring_ = nullptr;
}

qint64 QtAudioOutputSink::playedBytes()
{
    if (!sink_)
        return 0;
    const qint64 handedOut = handedOut_;
    const qint64 reported = sink_->processedUSecs() * CdAudioFormat::BytesPerSecond / 1000000 / 4 * 4;
    if (reported != lastReported_) {
        lastReported_ = reported;
        sinceChange_.start();
    }
    // The output's clock may stop a little short of the last byte once it has
    // run dry; after it has stood still for a moment the stream is over.
    if (ring_ && ring_->drained() && pending_.isEmpty() && sinceChange_.isValid() &&
        sinceChange_.elapsed() >= DrainSettleMs)
        return handedOut;
    return std::min(reported, handedOut);
}

void QtAudioOutputSink::feed()
{
    if (!output_ || !ring_)
        return;
    for (;;) {
        if (pending_.isEmpty()) {
            const qint64 room = std::min<qint64>(sink_->bytesFree(), 1 << 16) / 4 * 4;
            if (room <= 0)
                return;
            pending_.resize(room);
            pending_.resize(ring_->read(pending_.data(), room));
            if (pending_.isEmpty())
                return;
        }
        const qint64 written = output_->write(pending_.constData(), pending_.size());
        if (written <= 0)
            return;
        handedOut_ += written;
        pending_.remove(0, written);
    }
}
