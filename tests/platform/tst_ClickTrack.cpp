#include "PulseServer.h"
#include "TestClasses.h"
#include "platform/Clock.h"
#include "platform/cdaudio/ClickTrack.h"
#include "platform/cdaudio/ClockSink.h"
#include "platform/cdaudio/ManualSink.h"
#include "platform/cdaudio/PulseSink.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(QList<ClickTrack::Click>)

namespace {
qint16 at16(const QByteArray& pcm, qint64 byte)
{
    return qint16(quint16(uchar(pcm.at(byte)) | uchar(pcm.at(byte + 1)) << 8));
}
qint16 left(const QByteArray& pcm, qint64 sample)
{
    return at16(pcm, sample * 4);
}
qint16 right(const QByteArray& pcm, qint64 sample)
{
    return at16(pcm, sample * 4 + 2);
}

// The samples where sound begins after at least gapMs of silence.
QList<qint64> onsets(const QByteArray& pcm, int gapMs)
{
    QList<qint64> found;
    qint64 silent = qint64(gapMs) * 441 / 10;
    for (qint64 s = 0; s < pcm.size() / 4; ++s) {
        if (left(pcm, s) == 0 && right(pcm, s) == 0) {
            ++silent;
            continue;
        }
        if (silent >= qint64(gapMs) * 441 / 10)
            found << s;
        silent = 0;
    }
    return found;
}

// Sign changes of the left channel over count samples from first: twice the tone's pitch per period.
int crossings(const QByteArray& pcm, qint64 first, qint64 count)
{
    int n = 0;
    qint16 before = 0;
    for (qint64 s = first; s < first + count; ++s) {
        const qint16 v = left(pcm, s);
        if (v != 0 && before != 0 && (v > 0) != (before > 0))
            ++n;
        if (v != 0)
            before = v;
    }
    return n;
}
} // namespace

class tst_ClickTrack : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each click is a burst starting at its moment (one sample of rise aside),
    // in both channels alike, with silence between; listen clicks are lower.
    void clicksStandWhereTheySay_data()
    {
        QTest::addColumn<QList<ClickTrack::Click>>("clicks");
        QTest::addColumn<qint64>("lengthMs");
        QTest::addColumn<QList<qint64>>("starts"); // ms
        QTest::newRow("the count-in's pattern")
            << QList<ClickTrack::Click>{{300, true}, {900, true}, {1500, false}, {2100, false}}
            << qint64(2700) << QList<qint64>{300, 900, 1500, 2100};
        QTest::newRow("a click at the very start")
            << QList<ClickTrack::Click>{{0, false}, {500, true}} << qint64(1000) << QList<qint64>{0, 500};
        QTest::newRow("a burst cut by the end") << QList<ClickTrack::Click>{{100, false}, {980, false}}
                                                << qint64(1000) << QList<qint64>{100, 980};
        QTest::newRow("a click after the end is not heard")
            << QList<ClickTrack::Click>{{100, false}, {1200, false}} << qint64(1000) << QList<qint64>{100};
        QTest::newRow("no clicks: silence") << QList<ClickTrack::Click>{} << qint64(500) << QList<qint64>{};
    }
    void clicksStandWhereTheySay()
    {
        QFETCH(QList<ClickTrack::Click>, clicks);
        QFETCH(qint64, lengthMs);
        QFETCH(QList<qint64>, starts);
        const QByteArray pcm = ClickTrack::render(clicks, lengthMs);
        QCOMPARE(pcm.size(), lengthMs * 441 / 10 * 4);
        QCOMPARE(ClickTrack::byteAt(lengthMs), pcm.size());

        QList<qint64> expected;
        for (const qint64 ms : starts)
            expected << ms * 441 / 10 + 1; // the first sample of a sine is 0
        QCOMPARE(onsets(pcm, 100), expected);
        qint16 peak = 0;
        for (qint64 s = 0; s < pcm.size() / 4; ++s) {
            QCOMPARE(left(pcm, s), right(pcm, s));
            peak = std::max<qint16>(peak, qint16(std::abs(left(pcm, s))));
        }
        QVERIFY(peak <= ClickTrack::Amplitude);
        if (!starts.isEmpty())
            QVERIFY(peak > ClickTrack::Amplitude / 2);
        // Each burst is over (silent) after ToneMs.
        for (const qint64 ms : starts) {
            const qint64 after = (ms + ClickTrack::ToneMs) * 441 / 10;
            for (qint64 s = after; s < std::min<qint64>(after + 441, pcm.size() / 4); ++s)
                QCOMPARE(left(pcm, s), qint16(0));
        }
    }

    void listenClicksSoundLower()
    {
        const QByteArray pcm = ClickTrack::render({{0, true}, {100, false}}, 200);
        const qint64 tone = ClickTrack::ToneMs * 441 / 10;
        const int low = crossings(pcm, 0, tone);
        const int high = crossings(pcm, 100 * 441 / 10, tone);
        // About twice the pitch in the same time, a crossing either way.
        QVERIFY2(std::abs(low - 2 * ClickTrack::ListenHz * ClickTrack::ToneMs / 1000) <= 2,
                 qPrintable(QString::number(low)));
        QVERIFY2(std::abs(high - 2 * ClickTrack::TapHz * ClickTrack::ToneMs / 1000) <= 2,
                 qPrintable(QString::number(high)));
    }

    // heardMs is what the sink has played: the PCM handed to it is the
    // count-in from its first byte.
    void heardFollowsTheSink_data()
    {
        QTest::addColumn<QList<qint64>>("playMs"); // successive amounts played
        QTest::addColumn<qint64>("heard");
        QTest::newRow("nothing yet") << QList<qint64>{} << qint64(0);
        QTest::newRow("to the first click") << QList<qint64>{300} << qint64(300);
        QTest::newRow("in steps") << QList<qint64>{250, 40, 10, 600} << qint64(900);
        QTest::newRow("to the end") << QList<qint64>{1200} << qint64(1200);
        QTest::newRow("past the end stays at the end") << QList<qint64>{1000, 1000} << qint64(1200);
    }
    void heardFollowsTheSink()
    {
        QFETCH(QList<qint64>, playMs);
        QFETCH(qint64, heard);
        const QList<ClickTrack::Click> clicks{{300, true}, {900, false}};
        ManualSink* sink = nullptr;
        ClickTrack track([&] {
            auto made = std::make_unique<ManualSink>();
            sink = made.get();
            return made;
        });
        QVERIFY(track.start(clicks, 1200));
        QVERIFY(track.running());
        QVERIFY(sink);
        QCOMPARE(track.heardMs(), qint64(0));
        for (const qint64 ms : playMs)
            sink->play(ClickTrack::byteAt(ms));
        QCOMPARE(track.heardMs(), heard);
        QCOMPARE(sink->heard(), ClickTrack::render(clicks, 1200).left(ClickTrack::byteAt(heard)));

        // Stopped: the count-in is dropped and the time heard stays.
        track.stop();
        QVERIFY(!track.running());
        QCOMPARE(sink->play(ClickTrack::byteAt(100)), qint64(0));
        QCOMPARE(track.heardMs(), heard);
    }

    // A new start plays the count-in from its beginning on the same output;
    // an output that only kept time is asked for again, as the sound server
    // may be back.
    void startsAgainFromTheBeginning()
    {
        ManualClock clock;
        int made = 0;
        bool standIn = true;
        ClickTrack track([&]() -> std::unique_ptr<PcmSink> {
            ++made;
            return std::make_unique<ClockSink>(clock, standIn);
        });
        QVERIFY(track.start({{100, false}}, 1000));
        QVERIFY(track.silent());
        clock.advance(400);
        QCOMPARE(track.heardMs(), qint64(400));
        standIn = false;
        QVERIFY(track.start({{100, false}}, 1000));
        QCOMPARE(made, 2);
        QVERIFY(!track.silent());
        QCOMPARE(track.heardMs(), qint64(0));
        clock.advance(2000);
        // The clock waits for audio that is not there: heard stops at the end.
        QCOMPARE(track.heardMs(), qint64(1000));
        QVERIFY(track.start({{100, false}}, 1000));
        QCOMPARE(made, 2);
    }

    void noOutputNoCountIn()
    {
        ClickTrack track([] { return std::unique_ptr<PcmSink>(); });
        QVERIFY(!track.start({{100, false}}, 1000));
        QVERIFY(!track.running());
        QCOMPARE(track.heardMs(), qint64(0));
        track.stop();
    }

    // Through a real sound server (a private null sink): the count-in is
    // heard at the wall clock's pace and to its last sample, and stopping in
    // the middle leaves no stream behind.
    void aRealServerPlaysItToTheEnd()
    {
        if (!PulseServer::installed())
            QSKIP("pulseaudio is not installed");
        const QByteArray savedServer = qgetenv("PULSE_SERVER");
        QTemporaryDir dir;
        PulseServer server(dir.path());
        if (!server.start())
            QSKIP("no PulseAudio server could be started here");
        {
            ClickTrack track([] { return std::unique_ptr<PcmSink>(PulseSink::connect()); });
            QElapsedTimer wall;
            wall.start();
            QVERIFY(track.start({{100, true}, {400, false}}, 1200));
            QVERIFY(!track.silent());
            qint64 previous = 0;
            while (track.heardMs() < 1200 && wall.elapsed() < 4000) {
                QVERIFY(track.heardMs() >= previous);
                previous = track.heardMs();
                QTest::qWait(10);
            }
            QCOMPARE(track.heardMs(), qint64(1200));
            QVERIFY2(wall.elapsed() >= 1100, qPrintable(QString::number(wall.elapsed())));

            QVERIFY(track.start({{100, true}, {400, false}}, 1200));
            QTest::qWait(300);
            track.stop();
            const qint64 heard = track.heardMs();
            QVERIFY2(heard > 100 && heard < 1000, qPrintable(QString::number(heard)));
            QTRY_COMPARE(server.sinkInputs(), QByteArray());
            QCOMPARE(track.heardMs(), heard);
            // Destroyed while playing: the stream ends with it.
            QVERIFY(track.start({{100, true}}, 1200));
        }
        QTRY_COMPARE(server.sinkInputs(), QByteArray());
        qputenv("PULSE_SERVER", savedServer);
    }

    // The server dies in the middle of the count-in: the track says so
    // instead of standing still for ever, and stops cleanly.
    void aServerThatDiesIsNoticed()
    {
        if (!PulseServer::installed())
            QSKIP("pulseaudio is not installed");
        const QByteArray savedServer = qgetenv("PULSE_SERVER");
        QTemporaryDir dir;
        PulseServer server(dir.path());
        if (!server.start())
            QSKIP("no PulseAudio server could be started here");
        ClickTrack track([] { return std::unique_ptr<PcmSink>(PulseSink::connect()); });
        QVERIFY(track.start({{100, true}, {700, false}}, 5000));
        QTRY_VERIFY_WITH_TIMEOUT(track.heardMs() > 100, 2000);
        QVERIFY(!track.failed());
        server.kill();
        QTRY_VERIFY_WITH_TIMEOUT(track.failed(), 3000);
        track.stop();
        QVERIFY(!track.running());
        qputenv("PULSE_SERVER", savedServer);
    }
};

ONDEL_TEST_CLASS(tst_ClickTrack)
#include "tst_ClickTrack.moc"
