#include "analysis/OnsetDetector.h"

#include <algorithm>
#include <aubio/aubio.h>

// aubio's objects, each freed with its own function.
struct OnsetDetector::Aubio {
    aubio_onset_t* onset = nullptr;
    fvec_t* input = new_fvec(HopSamples);
    fvec_t* output = new_fvec(1);
    ~Aubio()
    {
        if (onset)
            del_aubio_onset(onset);
        del_fvec(input);
        del_fvec(output);
    }
};

namespace {
const QString Voice = QStringLiteral("voice");
} // namespace

OnsetDetector::Created OnsetDetector::create(const OnsetSettings& settings)
{
    if (!methods().contains(settings.method))
        return {nullptr, QStringLiteral("unknown onset method \"%1\" (known: %2)")
                             .arg(settings.method, methods().join(QStringLiteral(", ")))};
    if (!(settings.threshold > 0) || settings.threshold > 10)
        return {nullptr, QStringLiteral("the threshold must be above 0 and at most 10")};
    const QStringList names = settings.method == Voice
                                  ? QStringList{QStringLiteral("hfc"), QStringLiteral("energy")}
                                  : QStringList{settings.method};
    std::vector<std::unique_ptr<Aubio>> detectors;
    for (const QString& name : names) {
        auto aubio = std::make_unique<Aubio>();
        aubio->onset = new_aubio_onset(name.toLatin1().constData(), WindowSamples, HopSamples, SampleRate);
        if (!aubio->onset)
            return {nullptr, QStringLiteral("aubio could not set up the onset method \"%1\"").arg(name)};
        aubio_onset_set_threshold(aubio->onset, settings.threshold);
        aubio_onset_set_minioi_ms(aubio->onset, settings.minimumGapMs);
        aubio_onset_set_silence(aubio->onset, settings.silenceDb);
        detectors.push_back(std::move(aubio));
    }
    const qint64 gap = qint64(settings.minimumGapMs * SampleRate / 1000);
    return {std::unique_ptr<OnsetDetector>(new OnsetDetector(std::move(detectors), gap)), {}};
}

OnsetDetector::OnsetDetector(std::vector<std::unique_ptr<Aubio>> detectors, qint64 minimumGap)
    : detectors_(std::move(detectors)), minimumGap_(minimumGap)
{
    Q_ASSERT(!detectors_.empty());
}

OnsetDetector::~OnsetDetector() = default;

QStringList OnsetDetector::methods()
{
    return {Voice,
            QStringLiteral("energy"),
            QStringLiteral("hfc"),
            QStringLiteral("complex"),
            QStringLiteral("phase"),
            QStringLiteral("wphase"),
            QStringLiteral("specdiff"),
            QStringLiteral("kl"),
            QStringLiteral("mkl"),
            QStringLiteral("specflux")};
}

void OnsetDetector::feed(const float* samples, qsizetype count)
{
    while (count > 0) {
        const int take = int(std::min<qsizetype>(count, HopSamples - filled_));
        for (int i = 0; i < take; ++i) {
            blockEnergy_ += samples[i] * samples[i];
            if (++inBlock_ == EnvelopeBlock) {
                envelope_.push_back(blockEnergy_);
                blockEnergy_ = 0;
                inBlock_ = 0;
            }
        }
        for (const std::unique_ptr<Aubio>& aubio : detectors_)
            std::copy(samples, samples + take, aubio->input->data + filled_);
        filled_ += take;
        samples += take;
        count -= take;
        if (filled_ == HopSamples)
            runHop();
    }
}

void OnsetDetector::finish()
{
    if (filled_ > 0) {
        for (const std::unique_ptr<Aubio>& aubio : detectors_)
            std::fill(aubio->input->data + filled_, aubio->input->data + HopSamples, 0.0f);
        runHop();
    }
    for (qint64& onset : found_)
        onset = attackStart(onset);
    // Several detectors often find one note a few milliseconds apart: the
    // earliest stands for it, as the attack starts there.
    std::sort(found_.begin(), found_.end());
    onsets_.clear();
    for (const qint64 onset : found_) {
        if (onsets_.empty() || onset - onsets_.back() >= minimumGap_)
            onsets_.push_back(onset);
    }
}

void OnsetDetector::runHop()
{
    filled_ = 0;
    for (const std::unique_ptr<Aubio>& aubio : detectors_) {
        aubio_onset_do(aubio->onset, aubio->input, aubio->output);
        if (aubio->output->data[0] != 0)
            found_.push_back(qint64(aubio_onset_get_last(aubio->onset)));
    }
}

// The detectors place an onset at the hop where their measure jumped, up to
// a few hops after the sound began to rise (longer for a soft sung attack
// than a struck one). The note starts where the loudness leaves its low
// point just before: the last short block within 3 dB of the quietest one
// in the 30 ms up to the onset.
qint64 OnsetDetector::attackStart(qint64 onset) const
{
    const qint64 first = std::max<qint64>(0, (onset - SampleRate * 30 / 1000) / EnvelopeBlock);
    const qint64 last =
        std::min<qint64>(qint64(envelope_.size()) - 1, (onset + SampleRate * 3 / 1000) / EnvelopeBlock);
    if (last < first)
        return onset;
    float quietest = envelope_[size_t(first)];
    for (qint64 block = first; block <= last; ++block)
        quietest = std::min(quietest, envelope_[size_t(block)]);
    qint64 start = first;
    for (qint64 block = first; block <= last; ++block) {
        if (envelope_[size_t(block)] <= 2 * quietest)
            start = block;
    }
    return (start + 1) * EnvelopeBlock;
}
