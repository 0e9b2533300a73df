#include "platform/cdaudio/ClickTrack.h"

#include "platform/cdaudio/PcmRing.h"

#include <QtEndian>
#include <cmath>
#include <numbers>

namespace {
constexpr int BytesPerSample = 4; // one stereo sample: two 16-bit channels
// The burst's level falls to 1/e every DecayMs; a click of ToneMs has faded
// to a few hundredths by its end.
constexpr double DecayMs = 12.0;
// A millisecond's rise, so the burst starts without a crack.
constexpr double AttackMs = 1.0;
} // namespace

ClickTrack::ClickTrack(SinkMaker makeSink) : makeSink_(std::move(makeSink))
{
}

ClickTrack::~ClickTrack()
{
    stop();
    sink_.reset();
    ring_.reset();
}

qint64 ClickTrack::byteAt(qint64 ms)
{
    return ms * CdAudioFormat::SampleRate / 1000 * BytesPerSample;
}

QByteArray ClickTrack::render(const QList<Click>& clicks, qint64 lengthMs)
{
    QByteArray pcm(std::max<qint64>(0, byteAt(lengthMs)), '\0');
    const qint64 samples = pcm.size() / BytesPerSample;
    const int toneSamples = ToneMs * CdAudioFormat::SampleRate / 1000;
    for (const Click& click : clicks) {
        const double hz = click.listen ? ListenHz : TapHz;
        const qint64 first = byteAt(click.atMs) / BytesPerSample;
        for (qint64 i = 0; i < toneSamples && first + i < samples; ++i) {
            if (first + i < 0)
                continue;
            const double ms = i * 1000.0 / CdAudioFormat::SampleRate;
            const double envelope = std::min(1.0, ms / AttackMs) * std::exp(-ms / DecayMs);
            const double wave = std::sin(2 * std::numbers::pi * hz * ms / 1000.0);
            const auto value = qint16(std::lround(Amplitude * envelope * wave));
            uchar* out = reinterpret_cast<uchar*>(pcm.data()) + (first + i) * BytesPerSample;
            qToLittleEndian(value, out);
            qToLittleEndian(value, out + 2);
        }
    }
    return pcm;
}

bool ClickTrack::start(const QList<Click>& clicks, qint64 lengthMs)
{
    stop();
    if (!sink_ || sink_->failed() || sink_->standsIn()) {
        // A failed output or a stand-in clock: the sound server may be back.
        if (std::unique_ptr<PcmSink> made = makeSink_ ? makeSink_() : nullptr)
            sink_ = std::move(made);
    }
    heardMs_ = 0;
    if (!sink_ || sink_->failed())
        return false;
    const QByteArray pcm = render(clicks, lengthMs);
    // The ring holds the whole count-in, so writing it never waits.
    ring_ = std::make_unique<PcmRing>(std::max<qsizetype>(pcm.size(), BytesPerSample));
    ring_->write(pcm.constData(), pcm.size());
    ring_->finish();
    sink_->start(*ring_);
    if (sink_->failed()) {
        sink_->stop();
        return false;
    }
    running_ = true;
    return true;
}

void ClickTrack::stop()
{
    if (!running_)
        return;
    heardMs();
    running_ = false;
    if (ring_)
        ring_->cancel();
    sink_->stop();
}

qint64 ClickTrack::heardMs()
{
    if (running_)
        heardMs_ = sink_->playedBytes() * 1000 / CdAudioFormat::BytesPerSecond;
    return heardMs_;
}
