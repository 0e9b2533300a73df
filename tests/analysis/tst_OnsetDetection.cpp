#include "GeneratedMusic.h"
#include "analysis/OnsetDetector.h"
#include "analysis/PeakSummary.h"

#include <QTest>

namespace {
constexpr qint64 OneFrame = 588; // 13.3 ms: what a DWD can tell apart

struct Score {
    double recall = 0;
    double precision = 0;
};

// Each true onset matched to at most one found onset within a frame.
Score score(const std::vector<qint64>& truth, const std::vector<qint64>& found)
{
    std::vector<bool> used(found.size(), false);
    int matched = 0;
    for (const qint64 onset : truth) {
        for (size_t i = 0; i < found.size(); ++i) {
            if (!used[i] && std::abs(found[i] - onset) <= OneFrame) {
                used[i] = true;
                ++matched;
                break;
            }
        }
    }
    return {truth.empty() ? 1.0 : double(matched) / double(truth.size()),
            found.empty() ? 1.0 : double(matched) / double(found.size())};
}

GeneratedSong song(const QString& kind, double noiseDb)
{
    GeneratedSong made = kind == QLatin1String("tones")  ? GeneratedMusic::tones(30, 1)
                         : kind == QLatin1String("sung") ? GeneratedMusic::sung(30, 2)
                                                         : GeneratedMusic::drums(30, 3);
    if (noiseDb < 0)
        GeneratedMusic::addNoise(made, noiseDb, 4);
    return made;
}

std::vector<qint64> detect(const GeneratedSong& song, const OnsetSettings& settings)
{
    OnsetDetector::Created created = OnsetDetector::create(settings);
    Q_ASSERT(created.detector);
    // Fed in uneven pieces, as a disc is read.
    for (size_t at = 0; at < song.samples.size(); at += 1000)
        created.detector->feed(song.samples.data() + at,
                               qsizetype(std::min<size_t>(1000, song.samples.size() - at)));
    created.detector->finish();
    return created.detector->onsets();
}
} // namespace

class OnsetDetectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusesUnknownSettings_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<float>("threshold");
        QTest::newRow("unknown method") << "loudest" << 0.5f;
        QTest::newRow("zero threshold") << "hfc" << 0.0f;
        QTest::newRow("not a number") << "hfc" << std::numeric_limits<float>::quiet_NaN();
    }
    void refusesUnknownSettings()
    {
        QFETCH(QString, method);
        QFETCH(float, threshold);
        const OnsetDetector::Created created = OnsetDetector::create({method, threshold});
        QVERIFY(!created.detector);
        QVERIFY(!created.error.isEmpty());
    }

    // Every column's low and high are those of its samples, whatever the
    // zoom and however the track was fed; the edges may widen to a block.
    void peaksMatchTheSamples_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<double>("samplesPerColumn");
        QTest::newRow("a block a column") << qint64(0) << 32.0;
        QTest::newRow("zoomed out, unaligned") << qint64(1000) << 4410.5;
        QTest::newRow("whole track in 10") << qint64(0) << 30000.0;
        QTest::newRow("past the end") << qint64(290000) << 1000.0;
        QTest::newRow("before the start") << qint64(-5000) << 1000.0;
    }
    void peaksMatchTheSamples()
    {
        QFETCH(qint64, first);
        QFETCH(double, samplesPerColumn);
        const GeneratedSong made = GeneratedMusic::drums(7, 5);
        PeakSummary peaks;
        for (size_t at = 0; at < made.samples.size(); at += 777)
            peaks.append(made.samples.data() + at,
                         qsizetype(std::min<size_t>(777, made.samples.size() - at)));
        peaks.finish();
        const std::vector<PeakSummary::Peak> columns = peaks.columns(first, samplesPerColumn, 10);
        const qint64 size = qint64(made.samples.size());
        for (int column = 0; column < 10; ++column) {
            const qint64 from = first + qint64(column * samplesPerColumn);
            const qint64 to = first + qint64((column + 1) * samplesPerColumn);
            float low = 0, high = 0, wideLow = 0, wideHigh = 0;
            bool any = false;
            const qint64 block = PeakSummary::BlockSamples;
            for (qint64 i = std::max<qint64>(0, from / block * block);
                 i < std::min(size, (to + block - 1) / block * block); ++i) {
                const float sample =
                    std::round(std::clamp(made.samples[size_t(i)], -1.0f, 1.0f) * 32767) / 32767;
                wideLow = any ? std::min(wideLow, sample) : sample;
                wideHigh = any ? std::max(wideHigh, sample) : sample;
                if (i >= from && i < to) {
                    low = std::min(low, sample);
                    high = std::max(high, sample);
                }
                any = true;
            }
            const PeakSummary::Peak peak = columns[size_t(column)];
            QVERIFY2(peak.low <= low + 1e-4f && peak.low >= wideLow - 1e-4f,
                     qPrintable(QString::number(column)));
            QVERIFY2(peak.high >= high - 1e-4f && peak.high <= wideHigh + 1e-4f,
                     qPrintable(QString::number(column)));
        }
    }

    void findsNotesWithinAFrame_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("noiseDb");
        QTest::addColumn<double>("minimumRecall");
        QTest::addColumn<double>("minimumPrecision");
        // Ringing struck tones beat against each other: a few false onsets.
        QTest::newRow("struck tones") << "tones" << 0.0 << 0.95 << 0.85;
        QTest::newRow("struck tones in noise") << "tones" << -36.0 << 0.95 << 0.95;
        QTest::newRow("sung glide") << "sung" << 0.0 << 0.95 << 0.95;
        QTest::newRow("sung glide in noise") << "sung" << -36.0 << 0.95 << 0.95;
        QTest::newRow("drum loop") << "drums" << 0.0 << 0.95 << 0.95;
        QTest::newRow("drum loop in noise") << "drums" << -36.0 << 0.95 << 0.95;
    }
    void findsNotesWithinAFrame()
    {
        QFETCH(QString, kind);
        QFETCH(double, noiseDb);
        QFETCH(double, minimumRecall);
        QFETCH(double, minimumPrecision);
        const GeneratedSong made = song(kind, noiseDb);
        const std::vector<qint64> found = detect(made, OnsetSettings{});
        const Score result = score(made.onsets, found);
        qInfo("%zu true, %zu found: recall %.3f, precision %.3f", made.onsets.size(), found.size(),
              result.recall, result.precision);
        QVERIFY2(result.recall >= minimumRecall, qPrintable(QString::number(result.recall)));
        QVERIFY2(result.precision >= minimumPrecision, qPrintable(QString::number(result.precision)));
    }
};

QTEST_GUILESS_MAIN(OnsetDetectionTest)
#include "tst_OnsetDetection.moc"
