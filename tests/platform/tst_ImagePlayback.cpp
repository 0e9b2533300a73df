#include "AudioFixtures.h"
#include "EngineFixtures.h"
#include "TestClasses.h"
#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/ImageDisc.h"
#include "platform/cdaudio/ManualSink.h"

#include <QTemporaryDir>
#include <QTest>

using namespace AudioFixtures;
using namespace EngineFixtures;

// An image disc driven through the device commands, with a sink moved by hand:
// the position is what the sink has played, never what was merely read.
class tst_ImagePlayback : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ManualClock clock_;

    struct Disc {
        ManualSink* sink = nullptr;
        ImageDisc* image = nullptr;
        std::unique_ptr<DeviceSession> session;
    };

    Disc open(const QString& source)
    {
        Disc d;
        auto sink = std::make_unique<ManualSink>();
        d.sink = sink.get();
        auto held = std::make_shared<std::unique_ptr<ManualSink>>(std::move(sink));
        auto image = std::make_unique<ImageDisc>(
            source, clock_, [held]() -> std::unique_ptr<PcmSink> { return std::move(*held); });
        d.image = image.get();
        d.session = std::make_unique<DeviceSession>(std::move(image));
        ReplyBuffer reply;
        d.session->sendCommand("open cdaudio", reply);
        return d;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).mkpath(QStringLiteral("disc"));
        QVERIFY(writeSound(dir_.filePath("disc/1.wav"), SF_FORMAT_WAV, 0, frames(300)));
        QVERIFY(writeSound(dir_.filePath("disc/2.flac"), SF_FORMAT_FLAC, 1, frames(200)));
        QVERIFY(writeSound(dir_.filePath("disc/3.wav"), SF_FORMAT_WAV, 2, frames(100)));
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("track count") << QByteArray("status cdaudio number of tracks wait") << QByteArray("3");
        QTest::newRow("length of a track")
            << QByteArray("status cdaudio length track 2 wait") << QByteArray("00:02:50");
        QTest::newRow("length of the disc")
            << QByteArray("status cdaudio length wait") << QByteArray("00:08:00");
        QTest::newRow("position before play")
            << QByteArray("status cdaudio position wait") << QByteArray("01:00:00:00");
        QTest::newRow("mode before play") << QByteArray("status cdaudio mode wait") << QByteArray("stopped");
    }

    void replies()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        Disc d = open(dir_.filePath("disc"));
        QCOMPARE(ask(*d.session, command.constData()), reply);
    }

    // A cue sheet's TITLE and PERFORMER, as the player and the desktop ask for them.
    void namesComeFromTheCueSheet_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray song = "\xe6\xad\x8c"; // one character, three bytes
        QTest::newRow("the disc's title")
            << QByteArray("info cdaudio title") << 0 << QByteArray("Night Album");
        QTest::newRow("the disc's performer")
            << QByteArray("info cdaudio performer wait") << 0 << QByteArray("The Band");
        QTest::newRow("a track's title") << QByteArray("info cdaudio title track 2") << 0 << song + " two";
        QTest::newRow("a track's performer")
            << QByteArray("info cdaudio performer track 2") << 0 << QByteArray("A Singer");
        QTest::newRow("a track the sheet names nothing of")
            << QByteArray("info cdaudio title track 3") << 0 << QByteArray();
        QTest::newRow("a long title ends before the character that does not fit")
            << QByteArray("info cdaudio title track 1") << 0 << song.repeated(85);
        QTest::newRow("a missing track") << QByteArray("info cdaudio title track 4") << 282 << QByteArray();
        QTest::newRow("neither title nor performer")
            << QByteArray("info cdaudio composer") << 261 << QByteArray();
    }

    void namesComeFromTheCueSheet()
    {
        QFETCH(QByteArray, command);
        QFETCH(int, result);
        QFETCH(QByteArray, reply);
        const QByteArray song = "\xe6\xad\x8c";
        QFile cue(dir_.filePath("disc/named.cue"));
        QVERIFY(cue.open(QIODevice::WriteOnly));
        cue.write("PERFORMER \"The Band\"\nTITLE \"Night Album\"\n"
                  "FILE \"1.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"" +
                  song.repeated(100) +
                  "\"\n    INDEX 01 00:00:00\n"
                  "FILE \"2.flac\" WAVE\n  TRACK 02 AUDIO\n    TITLE \"" +
                  song +
                  " two\"\n"
                  "    PERFORMER \"A Singer\"\n    INDEX 01 00:00:00\n"
                  "FILE \"3.wav\" WAVE\n  TRACK 03 AUDIO\n    INDEX 01 00:00:00\n");
        cue.close();
        Disc d = open(cue.fileName());
        int code = -1;
        QCOMPARE(ask(*d.session, command.constData(), &code), reply);
        QCOMPARE(code, result);
        // Files alone name nothing.
        Disc folder = open(dir_.filePath("disc"));
        QCOMPARE(ask(*folder.session, "info cdaudio title track 2"), QByteArray());
    }

    void identityIsTheDiscIdOfTheTable()
    {
        Disc d = open(dir_.filePath("disc"));
        DiscToc toc;
        toc.trackStarts = {150, 450, 650};
        toc.leadOut = 750;
        int result = -1;
        QCOMPARE(ask(*d.session, "info cdaudio identity wait", &result), DiscIdentity::fromToc(toc));
        QCOMPARE(result, 0);
    }

    // The position follows the sink, not the reader, which runs ahead.
    void positionFollowsWhatWasHeard()
    {
        Disc d = open(dir_.filePath("disc"));
        int result = -1;
        ask(*d.session, "play cdaudio from 2", &result);
        QCOMPARE(result, 0);
        QTRY_VERIFY(d.image->engine().position() == 450); // reader ahead, nothing heard
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("02:00:00:00"));
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("playing"));
        playByHand(*d.sink, 80);
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("02:00:01:05"));
        // Half a frame more is not yet a frame heard.
        d.sink->play(CdFrames::BytesPerFrame / 2);
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("02:00:01:05"));
        // What was heard is the disc's audio from the start of track 2.
        QVERIFY(d.sink->heard().left(frames(80) * 4) == pcm(1, frames(80)));
    }

    void stopHoldsAndPlayFromAnotherTrack()
    {
        Disc d = open(dir_.filePath("disc"));
        ask(*d.session, "play cdaudio from 1");
        playByHand(*d.sink, 100);
        ask(*d.session, "stop cdaudio");
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("stopped"));
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("01:00:01:25"));
        d.sink->play(1 << 20); // a stopped sink plays nothing
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("01:00:01:25"));

        ask(*d.session, "play cdaudio from 3");
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("03:00:00:00"));
        playByHand(*d.sink, 10);
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("03:00:00:10"));
        QVERIFY(d.sink->heard() == pcm(2, frames(10)));
    }

    void playsOnIntoTheNextTrackAndStopsAtTheEnd()
    {
        Disc d = open(dir_.filePath("disc"));
        ask(*d.session, "play cdaudio from 2");
        playByHand(*d.sink, 205);
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("03:00:00:05"));
        QVERIFY(d.sink->heard().mid(frames(200) * 4) == pcm(2, frames(5)));
        playByHand(*d.sink, 95);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("stopped"));
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("03:00:01:24"));
        int result = -1;
        ask(*d.session, "play cdaudio from 4", &result);
        QVERIFY(result != 0);
    }

    // An unreadable image is a drive with an unreadable disc.
    void unreadableImage_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("open still works") << QByteArray("open cdaudio") << true << QByteArray("1");
        QTest::newRow("mode is not ready")
            << QByteArray("status cdaudio mode wait") << true << QByteArray("not ready");
        QTest::newRow("identity fails") << QByteArray("info cdaudio identity wait") << false << QByteArray();
        QTest::newRow("play fails") << QByteArray("play cdaudio from 1") << false << QByteArray();
        QTest::newRow("position fails")
            << QByteArray("status cdaudio position wait") << false << QByteArray();
    }

    void unreadableImage()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, succeeds);
        QFETCH(QByteArray, reply);
        writeBytes(dir_.filePath("broken.cue"),
                   "FILE \"gone.flac\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
        Disc d = open(dir_.filePath("broken.cue"));
        QVERIFY(d.image->problem().contains(QLatin1String("gone.flac")));
        int result = -1;
        QCOMPARE(ask(*d.session, command.constData(), &result), reply);
        QCOMPARE(result == 0, succeeds);
    }

    // Closing the door reads the image again: a mended image plays.
    void doorReloadsTheImage()
    {
        const QString cue = dir_.filePath("mended.cue");
        writeBytes(cue, "FILE \"later.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
        Disc d = open(cue);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("not ready"));
        QVERIFY(writeSound(dir_.filePath("later.wav"), SF_FORMAT_WAV, 5, frames(90)));
        ask(*d.session, "set cdaudio door open");
        ask(*d.session, "set cdaudio door closed");
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("stopped"));
        QCOMPARE(ask(*d.session, "status cdaudio length track 1 wait"), QByteArray("00:01:15"));
    }
};

ONDEL_TEST_CLASS(tst_ImagePlayback)
#include "tst_ImagePlayback.moc"
