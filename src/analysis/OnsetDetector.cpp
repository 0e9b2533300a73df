#include "analysis/OnsetDetector.h"

#include <algorithm>
#include <aubio/aubio.h>
#include <dlfcn.h>

namespace {
// aubio is loaded when the first detector is made, not linked: its library
// brings a media framework and its codecs (some 18 MB resident and a slower
// start) into every player that never analyses a track.
struct AubioCalls {
    decltype(&::new_fvec) newFvec = nullptr;
    decltype(&::del_fvec) deleteFvec = nullptr;
    decltype(&::new_aubio_onset) newOnset = nullptr;
    decltype(&::del_aubio_onset) deleteOnset = nullptr;
    decltype(&::aubio_onset_set_threshold) setThreshold = nullptr;
    decltype(&::aubio_onset_set_minioi_ms) setMinimumGapMs = nullptr;
    decltype(&::aubio_onset_set_silence) setSilence = nullptr;
    decltype(&::aubio_onset_do) run = nullptr;
    decltype(&::aubio_onset_get_last) last = nullptr;
    QString problem; // why aubio cannot be used; empty when it can
};

template <typename Function> bool resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const AubioCalls& aubioCalls()
{
    static const AubioCalls calls = [] {
        AubioCalls loaded;
        void* library = dlopen("libaubio.so.5", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            loaded.problem = QStringLiteral("the onset detector (libaubio.so.5) cannot be loaded: %1")
                                 .arg(QString::fromLocal8Bit(dlerror()));
            return loaded;
        }
        const bool complete = resolve(library, "new_fvec", loaded.newFvec) &&
                              resolve(library, "del_fvec", loaded.deleteFvec) &&
                              resolve(library, "new_aubio_onset", loaded.newOnset) &&
                              resolve(library, "del_aubio_onset", loaded.deleteOnset) &&
                              resolve(library, "aubio_onset_set_threshold", loaded.setThreshold) &&
                              resolve(library, "aubio_onset_set_minioi_ms", loaded.setMinimumGapMs) &&
                              resolve(library, "aubio_onset_set_silence", loaded.setSilence) &&
                              resolve(library, "aubio_onset_do", loaded.run) &&
                              resolve(library, "aubio_onset_get_last", loaded.last);
        if (!complete)
            loaded.problem = QStringLiteral("the onset detector (libaubio.so.5) lacks a function it needs");
        return loaded;
    }();
    return calls;
}
} // namespace

// aubio's objects, each freed with its own function.
struct OnsetDetector::Aubio {
    aubio_onset_t* onset = nullptr;
    fvec_t* input = aubioCalls().newFvec(HopSamples);
    fvec_t* output = aubioCalls().newFvec(1);
    ~Aubio()
    {
        if (onset)
            aubioCalls().deleteOnset(onset);
        aubioCalls().deleteFvec(input);
        aubioCalls().deleteFvec(output);
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
    if (!aubioCalls().problem.isEmpty())
        return {nullptr, aubioCalls().problem};
    std::vector<std::unique_ptr<Aubio>> detectors;
    for (const QString& name : names) {
        auto aubio = std::make_unique<Aubio>();
        aubio->onset =
            aubioCalls().newOnset(name.toLatin1().constData(), WindowSamples, HopSamples, SampleRate);
        if (!aubio->onset)
            return {nullptr, QStringLiteral("aubio could not set up the onset method \"%1\"").arg(name)};
        aubioCalls().setThreshold(aubio->onset, settings.threshold);
        aubioCalls().setMinimumGapMs(aubio->onset, settings.minimumGapMs);
        aubioCalls().setSilence(aubio->onset, settings.silenceDb);
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
    for (const std::unique_ptr<Aubio>& detector : detectors_) {
        aubioCalls().run(detector->onset, detector->input, detector->output);
        if (detector->output->data[0] != 0)
            found_.push_back(qint64(aubioCalls().last(detector->onset)));
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
