#include "AudioFixtures.h"
#include "platform/Clock.h"
#include "platform/cdaudio/ImageDisc.h"
#include "platform/cdaudio/QtAudioOutputSink.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace AudioFixtures;

// Real audio through a private PulseAudio server with a null sink, which
// consumes samples in real time: audio flows, and the position keeps pace
// with the clock. Skipped where no server can be started.
class tst_PulseOutput : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QProcess server_;
    SteadyClock clock_;

private Q_SLOTS:
    void initTestCase()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (program.isEmpty())
            QSKIP("pulseaudio is not installed");
        QVERIFY(dir_.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"PULSE_RUNTIME_PATH", "XDG_RUNTIME_DIR", "HOME"})
            env.insert(QString::fromLatin1(name), dir_.path());
        server_.setProcessEnvironment(env);
        server_.setProgram(program);
        server_.setArguments({QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                              QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                              QStringLiteral("--log-level=error"),
                              QStringLiteral("--load=module-native-protocol-unix"),
                              QStringLiteral("--load=module-null-sink sink_name=ondel_test")});
        // An unread pipe would fill up with the server's log and stall it.
        server_.setStandardOutputFile(QProcess::nullDevice());
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start();
        const QString socket = dir_.filePath(QStringLiteral("native"));
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(socket) && waited.elapsed() < 5000 && server_.state() != QProcess::NotRunning)
            QTest::qWait(50);
        if (!QFile::exists(socket))
            QSKIP("no PulseAudio server could be started here");
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        QVERIFY(writeSound(dir_.filePath("four.wav"), SF_FORMAT_WAV, 0, 4 * 44100));
    }

    void audioFlowsAndThePositionKeepsPace()
    {
        ImageDisc disc(dir_.filePath("four.wav"), clock_);
        QVERIFY(disc.start(150, disc.toc().leadOut));
        if (!dynamic_cast<QtAudioOutputSink*>(disc.engine().sink()))
            QSKIP("Qt found no output device on the test server");

        // The position is the output's own count of what it played (within a
        // frame), and it moves at the pace of the wall clock: a busy machine
        // may stall the output now and then, and a null sink catches up after,
        // so the pace is only held to the right order.
        QElapsedTimer wall;
        wall.start();
        qint64 firstWall = -1, firstHeard = 0, lastWall = 0, lastHeard = 0, worst = 0;
        while (wall.elapsed() < 3500) {
            QTest::qWait(20);
            const qint64 heardMs = qint64(disc.position() - 150) * 1000 / CdFrames::PerSecond;
            const qint64 sinkMs = disc.engine().sink()->playedBytes() * 1000 / (44100 * 4);
            if (disc.isPlaying())
                worst = std::max(worst, std::abs(sinkMs - heardMs));
            if (heardMs < 300 || !disc.isPlaying())
                continue;
            if (firstWall < 0) {
                firstWall = wall.elapsed();
                firstHeard = heardMs;
            }
            lastWall = wall.elapsed();
            lastHeard = heardMs;
        }
        QVERIFY2(firstWall >= 0, "the sink reported no audio played");
        QVERIFY2(worst <= 40, qPrintable(QStringLiteral("position %1 ms off the sink").arg(worst)));
        const double pace =
            double(lastHeard - firstHeard) / double(std::max<qint64>(1, lastWall - firstWall));
        QVERIFY2(pace > 0.5 && pace < 2.0, qPrintable(QStringLiteral("pace %1").arg(pace)));

        // The four seconds end, and the disc is stopped at its end.
        QTRY_VERIFY_WITH_TIMEOUT(!disc.isPlaying(), 4000);
        QCOMPARE(disc.position(), disc.toc().leadOut);
    }

    void cleanupTestCase()
    {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(3000))
                server_.kill();
        }
    }
};

QTEST_GUILESS_MAIN(tst_PulseOutput)
#include "tst_PulseOutput.moc"
