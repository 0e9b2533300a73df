#include "analysis/TrackAnalysis.h"

#include "analysis/OnsetDetector.h"
#include "analysis/TrackReader.h"

TrackAnalysis::Result TrackAnalysis::analyze(TrackReader& reader, const OnsetSettings& settings,
                                             const std::function<bool(int percent)>& progress)
{
    OnsetDetector::Created created = OnsetDetector::create(settings);
    if (!created.detector)
        return {nullptr, created.error};
    auto analysis = std::make_shared<TrackAnalysis>();
    analysis->samples = reader.samples();
    // A second of audio at a time.
    constexpr qsizetype Chunk = OnsetDetector::SampleRate;
    std::vector<float> samples(size_t(Chunk), 0.0f);
    int reported = -1;
    for (qint64 at = 0; at < reader.samples(); at += Chunk) {
        const qsizetype count = qsizetype(std::min<qint64>(Chunk, reader.samples() - at));
        if (const std::optional<QString> failure = reader.read(at, count, samples.data()))
            return {nullptr, *failure};
        analysis->peaks.append(samples.data(), count);
        created.detector->feed(samples.data(), count);
        const int percent = int((at + count) * 100 / reader.samples());
        if (progress && percent != reported) {
            reported = percent;
            if (!progress(percent))
                return {};
        }
    }
    analysis->peaks.finish();
    created.detector->finish();
    analysis->onsets = created.detector->onsets();
    return {std::move(analysis), {}};
}
