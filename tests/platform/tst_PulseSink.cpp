#include "AudioFixtures.h"
#include "EngineFixtures.h"
#include "PulseServer.h"
#include "TestClasses.h"
#include "platform/Clock.h"
#include "platform/cdaudio/ImageDisc.h"
#include "platform/cdaudio/PcmRing.h"
#include "platform/cdaudio/PulseSink.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <thread>

using namespace AudioFixtures;

// Real audio through a private PulseAudio server with a null sink, which
// consumes samples in real time. Skipped where no server can be started.
class tst_PulseSink : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<PulseServer> server_;
    SteadyClock clock_;
    QByteArray savedServer_;

    static qint64 msOf(qint64 bytes) { return bytes * 1000 / CdAudioFormat::BytesPerSecond; }

private Q_SLOTS:
    void initTestCase()
    {
        savedServer_ = qgetenv("PULSE_SERVER");
        if (!PulseServer::installed())
            QSKIP("pulseaudio is not installed");
        QVERIFY(dir_.isValid());
        server_ = std::make_unique<PulseServer>(dir_.path());
        if (!server_->start())
            QSKIP("no PulseAudio server could be started here");
        QVERIFY(writeSound(dir_.filePath("four.wav"), SF_FORMAT_WAV, 0, 4 * 44100));
    }

    void withoutAServerTheOutputSaysWhyAndTheClockStandsIn()
    {
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(dir_.filePath("nobody-here")));
        QString why;
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!PulseSink::connect(&why));
        QVERIFY(!why.isEmpty());
        QVERIFY(waited.elapsed() < 2500);
        const auto sink = PcmSink::createDefault(clock_);
        QVERIFY(sink->standsIn());
        qputenv("PULSE_SERVER", server);
    }

    void audioFlowsAndThePositionKeepsPace_data()
    {
        QTest::addColumn<int>("tempo");
        QTest::newRow("normal speed") << 100;
        QTest::newRow("slowed to 60 %") << 60;
    }

    // The position is the server's playback time: it moves at the pace of the
    // wall clock (times the tempo: slowed audio keeps disc time), never passes
    // what was handed over, and reaches the last byte when the stream has
    // been played out.
    void audioFlowsAndThePositionKeepsPace()
    {
        QFETCH(int, tempo);
        ImageDisc disc(dir_.filePath("four.wav"), clock_);
        disc.setTempo(tempo);
        QElapsedTimer wall;
        wall.start();
        QVERIFY(disc.start(150, disc.toc().leadOut));
        auto* sink = dynamic_cast<PulseSink*>(disc.engine().sink());
        QVERIFY(sink);

        qint64 firstWall = -1, firstHeard = 0, lastWall = 0, lastHeard = 0, previous = 0;
        while (wall.elapsed() < 3500) {
            QTest::qWait(20);
            const qint64 heardMs = qint64(disc.position() - 150) * 1000 / CdFrames::PerSecond;
            QVERIFY(heardMs >= previous);
            previous = heardMs;
            QVERIFY(sink->playedBytes() <= sink->writtenBytes());
            if (heardMs < 300 || !disc.isPlaying())
                continue;
            if (firstWall < 0) {
                firstWall = wall.elapsed();
                firstHeard = heardMs;
            }
            lastWall = wall.elapsed();
            lastHeard = heardMs;
        }
        QVERIFY2(firstWall >= 0, "the server reported nothing played");
        const double pace =
            double(lastHeard - firstHeard) / double(std::max<qint64>(1, lastWall - firstWall));
        const double expected = tempo / 100.0;
        QVERIFY2(pace > 0.8 * expected && pace < 1.25 * expected,
                 qPrintable(QStringLiteral("pace %1").arg(pace)));

        QTRY_VERIFY_WITH_TIMEOUT(!disc.isPlaying(), 4000 * 100 / tempo);
        QCOMPARE(disc.position(), disc.toc().leadOut);
        QCOMPARE(sink->underflows(), 0);
    }

    void theLastBytesAreHeardEvenShortOfTheStartThreshold_data()
    {
        QTest::addColumn<int>("ms");
        QTest::newRow("ten milliseconds") << 10;
        QTest::newRow("a third of a second") << 333;
    }

    void theLastBytesAreHeardEvenShortOfTheStartThreshold()
    {
        QFETCH(int, ms);
        auto sink = PulseSink::connect();
        QVERIFY(sink);
        PcmRing ring(CdAudioFormat::BytesPerSecond);
        const QByteArray audio = pcm(1, qint64(ms) * 441 / 10);
        QVERIFY(ring.write(audio.constData(), audio.size()));
        ring.finish();
        sink->start(ring);
        QTRY_COMPARE_WITH_TIMEOUT(sink->playedBytes(), audio.size(), 3000);
        QCOMPARE(sink->writtenBytes(), audio.size());
        QVERIFY(!sink->failed());
    }

    // The last second or two of a stream is already with the device when the
    // server stops counting it: the position must keep moving through it (the
    // lyrics of a disc's last line, the last clicks of a count-in), and the end
    // comes when the audio ends, not when the server gets round to saying so.
    void thePositionMovesOnToTheLastSample_data()
    {
        QTest::addColumn<int>("seconds"); // played from the end of the file
        QTest::newRow("the last two seconds") << 2;
        QTest::newRow("the last four seconds") << 4;
    }

    void thePositionMovesOnToTheLastSample()
    {
        QFETCH(int, seconds);
        ImageDisc disc(dir_.filePath("four.wav"), clock_);
        const int end = disc.toc().leadOut;
        QElapsedTimer wall;
        wall.start();
        QVERIFY(disc.start(end - seconds * 75, end));
        int last = -1;
        qint64 movedAt = 0, longestStill = 0;
        while (disc.isPlaying() && wall.elapsed() < seconds * 1000 + 3000) {
            QTest::qWait(20);
            const int now = disc.position();
            if (now != last) {
                if (last >= 0)
                    longestStill = std::max(longestStill, wall.elapsed() - movedAt);
                last = now;
                movedAt = wall.elapsed();
            }
        }
        QVERIFY(!disc.isPlaying());
        QCOMPARE(disc.position(), end);
        QVERIFY2(longestStill < 250, qPrintable(QStringLiteral("stood still for %1 ms").arg(longestStill)));
        QVERIFY2(wall.elapsed() < seconds * 1000 + 500,
                 qPrintable(QStringLiteral("%1 ms").arg(wall.elapsed())));
    }

    // The output is fed from the library's thread: a GUI thread that stalls
    // for 400 ms costs no sound.
    void aStalledGuiLeavesNoGap()
    {
        ImageDisc disc(dir_.filePath("four.wav"), clock_);
        QVERIFY(disc.start(150, disc.toc().leadOut));
        auto* sink = dynamic_cast<PulseSink*>(disc.engine().sink());
        QVERIFY(sink);
        QTest::qWait(300);
        for (int i = 0; i < 3; ++i) {
            const qint64 before = sink->playedBytes();
            QThread::msleep(400);
            QVERIFY2(msOf(sink->playedBytes() - before) >= 300,
                     qPrintable(QStringLiteral("%1 ms heard").arg(msOf(sink->playedBytes() - before))));
            QTest::qWait(100);
        }
        QVERIFY(disc.isPlaying());
        QCOMPARE(sink->underflows(), 0);
        disc.halt();
    }

    // The volume set is the stream's on the server, and the next stream's;
    // the desktop's mixer moving our stream shows in the volume read back.
    void theVolumeGoesBothWays()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty())
            QSKIP("pactl is not installed");
        const auto listed = [this] {
            return server_->run(QStringLiteral("pactl"),
                                {QStringLiteral("list"), QStringLiteral("sink-inputs")});
        };
        ImageDisc disc(dir_.filePath("four.wav"), clock_);
        disc.setVolume(40);
        QVERIFY(disc.start(150, disc.toc().leadOut));
        QTRY_VERIFY_WITH_TIMEOUT(listed().contains(" 40% "), 2000);
        disc.setVolume(60);
        QTRY_VERIFY_WITH_TIMEOUT(listed().contains(" 60% "), 2000);
        const QByteArray index = server_->sinkInputs().split('\t').value(0);
        server_->run(QStringLiteral("pactl"), {QStringLiteral("set-sink-input-volume"),
                                               QString::fromLatin1(index), QStringLiteral("25%")});
        QTRY_COMPARE_WITH_TIMEOUT(disc.volume(), std::optional<int>(25), 2000);
        disc.halt();
        QVERIFY(disc.start(150, disc.toc().leadOut));
        QTRY_VERIFY_WITH_TIMEOUT(listed().contains(" 25% "), 2000);
        QCOMPARE(disc.volume(), std::optional<int>(25));
        disc.halt();
    }

    // Stop leaves the server at once: it is playing nothing an instant later.
    void stopSilencesAtOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stop") << "stop";
        QTest::newRow("door open") << "door";
        QTest::newRow("disc closed") << "close";
    }

    void stopSilencesAtOnce()
    {
        QFETCH(QString, how);
        if (QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty())
            QSKIP("pactl is not installed");
        auto disc = std::make_unique<ImageDisc>(dir_.filePath("four.wav"), clock_);
        QVERIFY(disc->start(150, disc->toc().leadOut));
        QTRY_VERIFY_WITH_TIMEOUT(!server_->sinkInputs().isEmpty(), 2000);
        if (how == QLatin1String("stop"))
            disc->halt();
        else if (how == QLatin1String("door"))
            disc->doorMoved(true);
        else
            disc.reset();
        QCOMPARE(server_->sinkInputs(), QByteArray());
    }

    // A server that dies takes no play with it: the silent clock goes on from
    // where the sound was, and the next play finds the server again.
    void theEngineOutlivesTheServer()
    {
        ImageDisc disc(dir_.filePath("four.wav"), clock_);
        QVERIFY(disc.start(150, disc.toc().leadOut));
        QVERIFY(dynamic_cast<PulseSink*>(disc.engine().sink()));
        QTRY_VERIFY_WITH_TIMEOUT(disc.position() > 170, 2000);
        server_->kill();
        // The player's ticks ask for the mode, which finds the output gone.
        QTRY_VERIFY_WITH_TIMEOUT(disc.isPlaying() && disc.engine().sink()->standsIn(), 3000);
        const int afterLoss = disc.position();
        QTRY_VERIFY_WITH_TIMEOUT(disc.position() >= afterLoss + 30, 2000);

        QVERIFY(server_->start());
        QVERIFY(disc.start(150, disc.toc().leadOut));
        auto* again = dynamic_cast<PulseSink*>(disc.engine().sink());
        QVERIFY(again);
        QTRY_VERIFY_WITH_TIMEOUT(again->playedBytes() > 0, 2000);
        disc.halt();
    }

    void cleanupTestCase()
    {
        server_.reset();
        if (savedServer_.isNull())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", savedServer_);
    }
};

ONDEL_TEST_CLASS(tst_PulseSink)
#include "tst_PulseSink.moc"
