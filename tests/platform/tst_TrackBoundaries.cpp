#include "PulseServer.h"
#include "TestClasses.h"
#include "TrackBoundaries.h"
#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/ImageDisc.h"

#include <QTemporaryDir>
#include <QTest>

using namespace TrackBoundaries;

// A disc played through in normal play, heard at a private server's null sink:
// the player asks for every track the disc enters, and yet across every
// boundary the sound goes on unbroken and every track is heard whole, on
// each kind of disc laid out from files. Skipped without a sound server.
class tst_TrackBoundaries : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<PulseServer> server_;
    SteadyClock clock_;

private Q_SLOTS:
    void initTestCase()
    {
        if (!PulseServer::installed() || QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
            QSKIP("pulseaudio or parec is not installed");
        QVERIFY(dir_.isValid());
        server_ = std::make_unique<PulseServer>(dir_.path());
        if (!server_->start())
            QSKIP("no PulseAudio server could be started here");
    }

    void everyTrackIsHeardWholeWithoutASeam_data()
    {
        QTest::addColumn<int>("kind");
        // Uneven lengths: a folder's files end part-way through a frame.
        QTest::newRow("single-file cue") << int(DiscKind::SingleFileCue);
        QTest::newRow("multi-file cue") << int(DiscKind::MultiFileCue);
        QTest::newRow("folder") << int(DiscKind::Folder);
    }

    void everyTrackIsHeardWholeWithoutASeam()
    {
        QFETCH(int, kind);
        const std::vector<qint64> lengths{Rate + 101, Rate + 333, Rate / 2 + 7};
        const QString disc = writeDisc(dir_.filePath(QString::number(kind)), DiscKind(kind), lengths);
        QVERIFY(!disc.isEmpty());
        DeviceSession device(std::make_unique<ImageDisc>(disc, clock_));
        QCOMPARE(ask(device, "open cdaudio"), QByteArray("1"));
        QCOMPARE(ask(device, "status cdaudio number of tracks"), QByteArray("3"));

        MonitorRecording recording(QStringLiteral("ondel_test"), dir_.filePath(QStringLiteral("heard.raw")));
        QVERIFY(recording.started());
        playThrough(device);
        const Seams seams = seamsOf(recording.finish());

        qint64 total = 0;
        for (qint64 length : lengths)
            total +=
                DiscKind(kind) == DiscKind::Folder ? length : length - length % CdFrames::SamplesPerFrame;
        QVERIFY2(seams.longestSilenceMs() <= 5.0,
                 qPrintable(QStringLiteral("%1 ms of silence").arg(seams.longestSilenceMs())));
        QVERIFY2(seams.whole(total),
                 qPrintable(QStringLiteral("heard %1 of %2 samples, %3 jumps, from %4 to %5")
                                .arg(seams.heard)
                                .arg(total)
                                .arg(seams.jumps)
                                .arg(seams.firstHeard)
                                .arg(seams.lastHeard)));
    }

    void cleanupTestCase() { server_.reset(); }
};

ONDEL_TEST_CLASS(tst_TrackBoundaries)
#include "tst_TrackBoundaries.moc"
