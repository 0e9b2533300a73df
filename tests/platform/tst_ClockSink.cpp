#include "TestClasses.h"
#include "platform/Clock.h"
#include "platform/cdaudio/ClockSink.h"
#include "platform/cdaudio/PcmRing.h"

#include <QTest>

// The silent output keeps real time on its clock and never runs ahead of
// the audio that the reader has queued.
class tst_ClockSink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void playsInRealTimeAndWaitsForAStarvedReader_data()
    {
        QTest::addColumn<int>("queuedMs");
        QTest::addColumn<QList<int>>("steps"); // ms the clock moves before each look
        QTest::addColumn<int>("playedMs");

        QTest::newRow("nothing elapsed") << 1000 << QList<int>{0} << 0;
        QTest::newRow("a quarter second") << 1000 << QList<int>{250} << 250;
        QTest::newRow("in small steps") << 1000 << QList<int>{10, 10, 10, 20} << 50;
        QTest::newRow("starved: stops where the audio ends") << 100 << QList<int>{300} << 100;
        QTest::newRow("starved clock does not bank the wait") << 100 << QList<int>{300, 0} << 100;
    }

    void playsInRealTimeAndWaitsForAStarvedReader()
    {
        QFETCH(int, queuedMs);
        QFETCH(QList<int>, steps);
        QFETCH(int, playedMs);

        ManualClock clock;
        clock.set(5000);
        PcmRing ring(CdAudioFormat::BytesPerSecond * 2);
        const QByteArray audio(queuedMs * CdAudioFormat::BytesPerSecond / 1000, '\1');
        QVERIFY(ring.write(audio.constData(), audio.size()));
        ClockSink sink(clock);
        sink.start(ring);
        for (int step : steps) {
            clock.advance(step);
            sink.playedBytes();
        }
        QCOMPARE(sink.playedBytes(), qint64(playedMs) * CdAudioFormat::BytesPerSecond / 1000);
        QCOMPARE(ring.available(), audio.size() - sink.playedBytes());
    }

    void aStarvedClockGoesOnWhenTheReaderCatchesUp()
    {
        ManualClock clock;
        PcmRing ring(CdAudioFormat::BytesPerSecond);
        const QByteArray tenth(CdAudioFormat::BytesPerSecond / 10, '\1');
        QVERIFY(ring.write(tenth.constData(), tenth.size()));
        ClockSink sink(clock);
        sink.start(ring);
        clock.advance(500);
        QCOMPARE(sink.playedBytes(), tenth.size());
        QVERIFY(ring.write(tenth.constData(), tenth.size()));
        clock.advance(50);
        QCOMPARE(sink.playedBytes(), tenth.size() + tenth.size() / 2);
    }

    void stopHoldsTheCountAndStartBeginsAgain()
    {
        ManualClock clock;
        PcmRing ring(CdAudioFormat::BytesPerSecond);
        const QByteArray audio(CdAudioFormat::BytesPerSecond / 2, '\1');
        QVERIFY(ring.write(audio.constData(), audio.size()));
        ClockSink sink(clock, true);
        QVERIFY(sink.standsIn());
        sink.start(ring);
        clock.advance(100);
        sink.stop();
        clock.advance(100);
        QCOMPARE(sink.playedBytes(), CdAudioFormat::BytesPerSecond / 10);
        sink.start(ring);
        QCOMPARE(sink.playedBytes(), 0);
    }
};

ONDEL_TEST_CLASS(tst_ClockSink)
#include "tst_ClockSink.moc"
