#include "AudioFixtures.h"
#include "EngineFixtures.h"
#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/DriveDisc.h"
#include "platform/cdaudio/ImageCdDrive.h"
#include "platform/cdaudio/ImageDisc.h"
#include "platform/cdaudio/ManualSink.h"
#include "platform/cdaudio/ReplyBuffer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace AudioFixtures;
using namespace EngineFixtures;

// The drive back end runs its libcdio calls against libcdio's own image
// drivers: a cue sheet over BIN files or a cdrdao TOC file opened as a disc
// in a drive whose tray the test moves.
class tst_DriveDisc : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ManualClock clock_;

    struct Drive {
        ImageCdDrive* drive = nullptr;
        DriveDisc* disc = nullptr;
        ManualSink* sink = nullptr;
        std::unique_ptr<DeviceSession> session;
    };

    QString path(const QString& name) const { return dir_.filePath(name); }

    QString twoTracks()
    {
        return write("two.cue", "FILE \"two.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                " TRACK 02 AUDIO\n  INDEX 01 00:02:00\n");
    }

    // A cue sheet or TOC file over the audio of file k; libcdio reads a cue
    // sheet's audio from the BIN file of the same name.
    QString write(const QString& name, const QByteArray& text, int file = 2, int length = 400)
    {
        writeBytes(path(name), text);
        writeBytes(path(QFileInfo(name).completeBaseName() + ".bin"), pcm(file, frames(length)));
        return path(name);
    }

    Drive open(const QString& image)
    {
        Drive d;
        auto drive = std::make_unique<ImageCdDrive>(image);
        d.drive = drive.get();
        auto sink = std::make_unique<ManualSink>();
        d.sink = sink.get();
        auto held = std::make_shared<std::unique_ptr<ManualSink>>(std::move(sink));
        auto disc = std::make_unique<DriveDisc>(
            std::move(drive), clock_, [held]() -> std::unique_ptr<PcmSink> { return std::move(*held); });
        d.disc = disc.get();
        d.session = std::make_unique<DeviceSession>(std::move(disc));
        ask(*d.session, "open cdaudio");
        return d;
    }

    // The track starts as the device reports them: the track count, then the
    // length of every track and of the disc.
    static QStringList layout(DeviceSession& session)
    {
        QStringList shown{QString::fromLatin1(ask(session, "status cdaudio number of tracks wait"))};
        const int count = shown.first().toInt();
        for (int t = 1; t <= count; ++t)
            shown << QString::fromLatin1(ask(
                session,
                QByteArray("status cdaudio length track " + QByteArray::number(t) + " wait").constData()));
        shown << QString::fromLatin1(ask(session, "status cdaudio length wait"));
        return shown;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // The same disc as a drive (libcdio) and as an image (our own reader):
    // the same tracks and the same identity, so lyrics relations carry over.
    void tableOfContents_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<bool>("sameAsImage");

        QTest::newRow("two tracks in one bin")
            << twoTracks() << QStringList{"2", "00:02:00", "00:03:25", "00:05:25"} << true;
        QTest::newRow("an INDEX 00 gap belongs to the track before")
            << write("gap.cue", "FILE \"gap.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                " TRACK 02 AUDIO\n  INDEX 00 00:01:00\n  INDEX 01 00:02:00\n"
                                " TRACK 03 AUDIO\n  INDEX 01 00:04:00\n")
            << QStringList{"3", "00:02:00", "00:02:00", "00:01:25", "00:05:25"} << true;
        QTest::newRow("a data track ends the audio")
            << write("extra.cue", "FILE \"extra.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                  " TRACK 02 MODE1/2352\n  INDEX 01 00:04:00\n")
            << QStringList{"1", "00:04:00", "00:04:00"} << false;
        QTest::newRow("a cdrdao TOC file")
            // (libcdio reads a TOC file's audio files from the working directory)
            << write("disc.toc", "CD_DA\nTRACK AUDIO\nFILE \"" + path("disc.bin").toUtf8() +
                                     "\" 0 00:03:00\nTRACK AUDIO\nFILE \"" + path("disc.bin").toUtf8() +
                                     "\" 00:03:00 00:02:25\n")
            << QStringList{"2", "00:03:00", "00:02:25", "00:05:25"} << false;
    }

    void tableOfContents()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, layout);
        QFETCH(bool, sameAsImage);
        Drive d = open(image);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("stopped"));
        QCOMPARE(tst_DriveDisc::layout(*d.session), layout);
        const QByteArray identity = ask(*d.session, "info cdaudio identity wait");
        QCOMPARE(identity.size(), 28);
        if (sameAsImage) {
            DeviceSession asImage(std::make_unique<ImageDisc>(image, clock_));
            ask(asImage, "open cdaudio");
            QCOMPARE(tst_DriveDisc::layout(asImage), layout);
            QCOMPARE(ask(asImage, "info cdaudio identity wait"), identity);
        }
    }

    // A disc's CD-Text, here from the sheet libcdio reads the image by.
    void namesComeFromCdText()
    {
        Drive d = open(write("named.cue", "TITLE \"Night Album\"\nPERFORMER \"The Band\"\n"
                                          "FILE \"named.bin\" BINARY\n TRACK 01 AUDIO\n  TITLE \"First\"\n"
                                          "  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  PERFORMER \"A Singer\"\n"
                                          "  INDEX 01 00:02:00\n"));
        QCOMPARE(ask(*d.session, "info cdaudio title"), QByteArray("Night Album"));
        QCOMPARE(ask(*d.session, "info cdaudio performer"), QByteArray("The Band"));
        QCOMPARE(ask(*d.session, "info cdaudio title track 1"), QByteArray("First"));
        QCOMPARE(ask(*d.session, "info cdaudio performer track 2"), QByteArray("A Singer"));
        QCOMPARE(ask(*d.session, "info cdaudio title track 2"), QByteArray());
        Drive plain = open(twoTracks());
        QCOMPARE(ask(*plain.session, "info cdaudio title"), QByteArray());
    }

    // Audio read through libcdio is the BIN's bytes from the track's start.
    void readsTheTracks()
    {
        Drive d = open(twoTracks());
        int result = -1;
        ask(*d.session, "play cdaudio from 2", &result);
        QCOMPARE(result, 0);
        playByHand(*d.sink, 100);
        QCOMPARE(ask(*d.session, "status cdaudio position wait"), QByteArray("02:00:01:25"));
        QVERIFY(d.sink->heard().left(frames(100) * 4) ==
                pcm(2, frames(400)).mid(frames(150) * 4, frames(100) * 4));
        // Read through the error-correcting path, which seeks when playback jumps back.
        QVERIFY(d.disc->correcting());
        ask(*d.session, "stop cdaudio");
        ask(*d.session, "play cdaudio from 1", &result);
        QCOMPARE(result, 0);
        playByHand(*d.sink, 30);
        QVERIFY(d.sink->heard().left(frames(30) * 4) == pcm(2, frames(30)));
    }

    // The door commands move the tray; a disc changed while it was open is
    // read anew when it closes.
    void doorAndDiscChange()
    {
        const QString other =
            write("other.cue", "FILE \"other.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n", 3, 150);
        Drive d = open(twoTracks());
        const QByteArray first = ask(*d.session, "info cdaudio identity wait");

        ask(*d.session, "set cdaudio door open");
        QCOMPARE(d.drive->ejectRequests(), 1);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("open"));
        d.drive->setImage(other);
        ask(*d.session, "set cdaudio door closed");
        QCOMPARE(d.drive->closeRequests(), 1);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("stopped"));
        QCOMPARE(layout(*d.session), (QStringList{"1", "00:02:00", "00:02:00"}));
        const QByteArray second = ask(*d.session, "info cdaudio identity wait");
        QVERIFY(second != first);

        // Taken out by hand: the drive notices at its next question.
        d.drive->setTrayOpen(true);
        clock_.advance(500);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("not ready"));
        int result = -1;
        ask(*d.session, "info cdaudio identity wait", &result);
        QVERIFY(result != 0);
        d.drive->setImage(twoTracks());
        d.drive->setTrayOpen(false);
        clock_.advance(100);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("not ready")); // not asked yet
        clock_.advance(400);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("stopped"));
        QCOMPARE(ask(*d.session, "info cdaudio identity wait"), first);
    }

    void unreadableDiscs_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("problem");
        QTest::newRow("an empty drive") << QString() << QString();
        QTest::newRow("a cue sheet whose BIN is missing")
            << write("lost.cue", "FILE \"lost.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n")
            << "cannot open";
        QTest::newRow("a disc libcdio cannot read")
            << write("junk.cue", "not a cue sheet\n") << "cannot open";
        QTest::newRow("a data disc")
            << write("data.cue", "FILE \"data.bin\" BINARY\n TRACK 01 MODE1/2352\n  INDEX 01 00:00:00\n")
            << "no audio tracks";
    }

    void unreadableDiscs()
    {
        QFETCH(QString, image);
        QFETCH(QString, problem);
        if (image.endsWith(QLatin1String("lost.cue")))
            QFile::remove(path("lost.bin"));
        Drive d = open(image);
        QCOMPARE(ask(*d.session, "status cdaudio mode wait"), QByteArray("not ready"));
        QVERIFY2(d.disc->problem().contains(problem), qPrintable(d.disc->problem()));
        int result = -1;
        ask(*d.session, "play cdaudio from 1", &result);
        QVERIFY(result != 0);
    }
};

QTEST_GUILESS_MAIN(tst_DriveDisc)
#include "tst_DriveDisc.moc"
