#include "TestClasses.h"
#include "platform/cdaudio/TimeStretch.h"

#include <QTest>
#include <QtEndian>
#include <cmath>

namespace {
constexpr int Rate = 44100;
constexpr int ChunkBytes = 8 * 2352; // what the reader thread hands over at a time

// Stereo 16-bit PCM of seconds length: silence, with a sine burst of burstMs
// at burstAt seconds; a whole-length sine when burstMs is 0.
QByteArray tone(double seconds, double frequency, double burstAt, int burstMs)
{
    const int samples = int(seconds * Rate);
    QByteArray pcm(qsizetype(samples) * 4, '\0');
    const int from = burstMs ? int(burstAt * Rate) : 0;
    const int to = burstMs ? from + burstMs * Rate / 1000 : samples;
    for (int i = from; i < to && i < samples; ++i) {
        const auto value = qint16(std::lrint(16000 * std::sin(2 * M_PI * frequency * i / Rate)));
        qToLittleEndian(value, pcm.data() + qsizetype(i) * 4);
        qToLittleEndian(value, pcm.data() + qsizetype(i) * 4 + 2);
    }
    return pcm;
}

QByteArray stretched(const QByteArray& input, int percent, qsizetype chunk = ChunkBytes, int* lead = nullptr)
{
    TimeStretch stretch(percent);
    QByteArray out;
    if (lead)
        *lead = stretch.leadSamples();
    for (qsizetype at = 0; at < input.size(); at += chunk)
        stretch.put(input.constData() + at, std::min(chunk, input.size() - at), out);
    stretch.finish(out);
    return out;
}

qint16 left(const QByteArray& pcm, qsizetype sample)
{
    return qFromLittleEndian<qint16>(pcm.constData() + sample * 4);
}
} // namespace

class tst_TimeStretch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theStreamIsExactlyAsLongAsTheTempoMakesIt_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("inputSamples");
        QTest::addColumn<int>("chunkBytes");

        QTest::newRow("half speed, two seconds") << 50 << 2 * Rate << ChunkBytes;
        QTest::newRow("two thirds, an odd length") << 67 << 70001 << ChunkBytes;
        QTest::newRow("three quarters, one sample at a time") << 75 << 3000 << 4;
        QTest::newRow("nine tenths, shorter than the stretcher's latency") << 90 << 100 << ChunkBytes;
        QTest::newRow("half speed, nothing at all") << 50 << 0 << ChunkBytes;
    }

    void theStreamIsExactlyAsLongAsTheTempoMakesIt()
    {
        QFETCH(int, percent);
        QFETCH(int, inputSamples);
        QFETCH(int, chunkBytes);

        const QByteArray input = tone(double(inputSamples) / Rate, 440, 0, 0);
        const QByteArray output = stretched(input, percent, chunkBytes);
        QCOMPARE(output.size() / 4, TimeStretch::outputSamplesFor(inputSamples, percent));
        // The whole stream heard takes the disc position to the input's end.
        QVERIFY(TimeStretch::discSamplesFor(output.size() / 4, percent) >= inputSamples);
    }

    // A sung syllable must be timed where the disc has it: a burst at disc
    // time t is heard when the position says t.
    void aBurstIsHeardWhereTheDiscHasIt_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<double>("at");

        QTest::newRow("half speed, early") << 50 << 0.5;
        QTest::newRow("half speed, later") << 50 << 3.0;
        QTest::newRow("two thirds") << 67 << 2.2;
        QTest::newRow("three quarters") << 75 << 2.0;
        QTest::newRow("nine tenths") << 90 << 1.3;
    }

    void aBurstIsHeardWhereTheDiscHasIt()
    {
        QFETCH(int, percent);
        QFETCH(double, at);

        int lead = 0;
        const QByteArray output = stretched(tone(4.0, 1000, at, 30), percent, ChunkBytes, &lead);
        qsizetype first = -1;
        for (qsizetype i = 0; i < output.size() / 4 && first < 0; ++i)
            if (std::abs(left(output, i)) > 4000)
                first = i;
        QVERIFY(first >= 0);
        const double heardAt = double(TimeStretch::discSamplesFor(first, percent) + lead) / Rate;
        // Within a frame of disc time: inside a sequence the audio itself runs
        // ahead and falls back by about the lead.
        QVERIFY2(std::abs(heardAt - at) < 1.0 / 75, qPrintable(QStringLiteral("heard at %1 s").arg(heardAt)));
    }

    void thePitchIsKept_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<double>("frequency");

        QTest::newRow("A at half speed") << 50 << 440.0;
        QTest::newRow("A at three quarters") << 75 << 440.0;
        QTest::newRow("a high voice at two thirds") << 67 << 1046.5;
    }

    void thePitchIsKept()
    {
        QFETCH(int, percent);
        QFETCH(double, frequency);

        const QByteArray output = stretched(tone(3.0, frequency, 0, 0), percent);
        // Count rising zero crossings over a second in the middle.
        const qsizetype from = output.size() / 4 / 3;
        int crossings = 0;
        for (qsizetype i = from; i < from + Rate; ++i)
            if (left(output, i) < 0 && left(output, i + 1) >= 0)
                ++crossings;
        QVERIFY2(std::abs(crossings - frequency) < frequency * 0.02, qPrintable(QString::number(crossings)));
    }
};

ONDEL_TEST_CLASS(tst_TimeStretch)
#include "tst_TimeStretch.moc"
