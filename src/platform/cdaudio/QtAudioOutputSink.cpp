#include "QtAudioOutputSink.h"

#include "PcmRing.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>

namespace {
// Hands the ring's bytes to the output as a read-only sequential device and
// counts what it handed out.
class RingFeed final : public QIODevice {
public:
    explicit RingFeed(PcmRing& ring) : ring_(ring) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return ring_.available() + QIODevice::bytesAvailable(); }
    bool atEnd() const override { return ring_.drained(); }
    qint64 handedOut() const { return handedOut_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = ring_.read(data, maxSize);
        handedOut_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    PcmRing& ring_;
    qint64 handedOut_ = 0;
};

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
    auto feed = std::make_unique<RingFeed>(ring);
    feed->open(QIODevice::ReadOnly);
    feed_ = std::move(feed);
    sink_ = std::make_unique<QAudioSink>(device_, format);
    sink_->setBufferSize(CdAudioFormat::BytesPerSecond / 5);
    sink_->start(feed_.get());
    failed_ = sink_->error() == QAudio::OpenError || sink_->state() == QAudio::StoppedState;
    lastReported_ = -1;
}

void QtAudioOutputSink::stop()
{
    if (sink_)
        sink_->stop();
    sink_.reset();
    feed_.reset();
    ring_ = nullptr;
}

qint64 QtAudioOutputSink::playedBytes()
{
    if (!sink_)
        return 0;
    const qint64 handedOut = static_cast<RingFeed*>(feed_.get())->handedOut();
    const qint64 reported = sink_->processedUSecs() * CdAudioFormat::BytesPerSecond / 1000000 / 4 * 4;
    if (reported != lastReported_) {
        lastReported_ = reported;
        sinceChange_.start();
    }
    // The output's clock may stop a little short of the last byte once it has
    // run dry; after it has stood still for a moment the stream is over.
    if (ring_ && ring_->drained() && sinceChange_.isValid() && sinceChange_.elapsed() >= DrainSettleMs)
        return handedOut;
    return std::min(reported, handedOut);
}
