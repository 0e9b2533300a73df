#include "AudioFixtures.h"
#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/DiscImage.h"
#include "platform/cdaudio/ImageDisc.h"

#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace AudioFixtures;

// Disc images laid out from files: where tracks start, where the disc ends,
// and that every frame reads the exact samples of the file that holds it.
class tst_DiscImage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    // a.wav: 100 frames (file 0); b.flac: 60 frames (file 1); c.bin: 40 frames
    // raw (file 2); short.wav: 10.5 frames (file 3); mono.wav 22.05 kHz mono.
    void writeFiles()
    {
        QVERIFY(writeSound(path("a.wav"), SF_FORMAT_WAV, 0, frames(100)));
        QVERIFY(writeSound(path("b.flac"), SF_FORMAT_FLAC, 1, frames(60)));
        QVERIFY(writeBytes(path("c.bin"), pcm(2, frames(40))));
        QVERIFY(writeSound(path("short.wav"), SF_FORMAT_WAV, 3, frames(10) + 294));
        QVERIFY(writeSound(path("mono.wav"), SF_FORMAT_WAV, 4, 22050, 22050, 1));
        QDir(path("")).mkpath(path("folder"));
        QVERIFY(writeSound(path("folder/02 second.flac"), SF_FORMAT_FLAC, 1, frames(60)));
        QVERIFY(writeSound(path("folder/01 first.wav"), SF_FORMAT_WAV, 0, frames(100)));
        QVERIFY(writeBytes(path("folder/cover.jpg"), "not audio"));
        QDir(path("")).mkpath(path("uneven"));
        QVERIFY(writeSound(path("uneven/1.wav"), SF_FORMAT_WAV, 3, frames(10) + 294));
        QVERIFY(writeSound(path("uneven/2.wav"), SF_FORMAT_WAV, 1, frames(5) + 100));
        QVERIFY(writeBytes(path("noise.wav"), QByteArray(5000, 'x')));
        QDir(path("")).mkpath(path("empty"));
        // A FLAC whose STREAMINFO leaves the length unknown (total samples 0),
        // and one cut short right after its header.
        QVERIFY(writeSound(path("unknown.flac"), SF_FORMAT_FLAC, 1, frames(60)));
        QFile flac(path("unknown.flac"));
        QVERIFY(flac.open(QIODevice::ReadWrite));
        QByteArray bytes = flac.readAll();
        QVERIFY(bytes.startsWith("fLaC"));
        QVERIFY(writeBytes(path("cut.flac"), bytes.left(100)));
        bytes[21] = char(bytes[21] & 0xF0);
        bytes.replace(22, 4, QByteArray(4, '\0'));
        flac.seek(0);
        QCOMPARE(flac.write(bytes), bytes.size());
        flac.close();
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.wav")).constData(), 0600), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.cue")).constData(), 0600), 0);
        QVERIFY(writeSound(path("歌 一.wav"), SF_FORMAT_WAV, 0, frames(100)));
        QVERIFY(writeSound(path("ripped.flac"), SF_FORMAT_FLAC, 1, frames(60)));
        QVERIFY(writeSound(path("ソング.wav"), SF_FORMAT_WAV, 1, frames(60)));
        // Track numbers without leading zeros; each file's length tells it apart.
        QDir(path("")).mkpath(path("numbered"));
        QVERIFY(writeSound(path("numbered/10.wav"), SF_FORMAT_WAV, 0, frames(30)));
        QVERIFY(writeSound(path("numbered/2.wav"), SF_FORMAT_WAV, 1, frames(20)));
        QVERIFY(writeSound(path("numbered/1.wav"), SF_FORMAT_WAV, 2, frames(10)));
        QDir(path("")).mkpath(path("named"));
        QVERIFY(writeSound(path("named/Track 10.wav"), SF_FORMAT_WAV, 0, frames(30)));
        QVERIFY(writeSound(path("named/track 9.flac"), SF_FORMAT_FLAC, 1, frames(20)));
        QVERIFY(writeSound(path("named/track 9b.wav"), SF_FORMAT_WAV, 2, frames(10)));
        // c.bin's samples in the byte order a TOC's raw files have by default.
        QByteArray bigEndian = pcm(2, frames(40));
        for (qsizetype i = 0; i + 1 < bigEndian.size(); i += 2)
            std::swap(bigEndian[i], bigEndian[i + 1]);
        QVERIFY(writeBytes(path("be.bin"), bigEndian));
    }

    QString cue(const QString& name, const QByteArray& text)
    {
        writeBytes(path(name), text);
        return path(name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        writeFiles();
    }

    void layout_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QList<int>>("starts");
        QTest::addColumn<int>("leadOut");

        QTest::newRow("one audio file is one track") << "a.wav" << QList<int>{150} << 250;
        QTest::newRow("a folder is one track per file in name order")
            << "folder" << QList<int>{150, 250} << 310;
        QTest::newRow("a file short of a whole frame is padded") << "short.wav" << QList<int>{150} << 161;
        QTest::newRow("a folder's files follow each other sample by sample")
            << "uneven" << QList<int>{150, 160} << 166;
        QTest::newRow("a mono 22 kHz file keeps its length") << "mono.wav" << QList<int>{150} << 225;
        QTest::newRow("a FLAC of unknown length is counted") << "unknown.flac" << QList<int>{150} << 210;
        QTest::newRow("two tracks in one bin, the last track's length from the file")
            << cue("bin.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                              " TRACK 02 AUDIO\n  INDEX 01 00:00:25\n")
            << QList<int>{150, 175} << 190;
        QTest::newRow("multiple FILE lines follow each other")
            << cue("multi.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                "FILE \"b.flac\" WAVE\n TRACK 02 AUDIO\n  INDEX 01 00:00:00\n"
                                "FILE \"c.bin\" BINARY\n TRACK 03 AUDIO\n  INDEX 01 00:00:00\n")
            << QList<int>{150, 250, 310} << 350;
        QTest::newRow("an INDEX 00 pregap belongs to the track before")
            << cue("pregap.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                 " TRACK 02 AUDIO\n  INDEX 00 00:00:50\n  INDEX 01 00:00:60\n")
            << QList<int>{150, 210} << 250;
        QTest::newRow("a pregap at the end of the previous file")
            << cue("gapfile.cue",
                   "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                   " TRACK 02 AUDIO\n  INDEX 00 00:01:20\nFILE \"b.flac\" WAVE\n  INDEX 01 00:00:00\n")
            << QList<int>{150, 250} << 310;
        QTest::newRow("a PREGAP is silence between the files")
            << cue("silence.cue",
                   "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                   "FILE \"b.flac\" WAVE\n TRACK 02 AUDIO\n  PREGAP 00:00:30\n  INDEX 01 00:00:00\n")
            << QList<int>{150, 280} << 340;
        QTest::newRow("track 1 starts at its INDEX 01")
            << cue("late.cue",
                   "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 00 00:00:00\n  INDEX 01 00:00:10\n")
            << QList<int>{160} << 250;
        QTest::newRow("file names in another letter case and CR LF lines")
            << cue("case.cue", "FILE \"A.WAV\" WAVE\r\n TRACK 01 AUDIO\r\n  INDEX 01 00:00:00\r\n")
            << QList<int>{150} << 250;
        QTest::newRow("a Shift-JIS sheet naming a Japanese file")
            << cue("sjis.cue",
                   "FILE \"\x89\xcc \x88\xea.wav\" WAVE\r\n TRACK 01 AUDIO\r\n  INDEX 01 00:00:00\r\n")
            << QList<int>{150} << 250;
        QTest::newRow("a Shift-JIS name with a backslash byte in it")
            << cue("sjis2.cue", "FILE \"\x83\x5c\x83\x93\x83\x4f.wav\" WAVE\r\n TRACK 01 AUDIO\r\n"
                                "  INDEX 01 00:00:00\r\n")
            << QList<int>{150} << 210;
        QTest::newRow("a UTF-8 sheet naming a Japanese file")
            << cue("utf8.cue", "FILE \"歌 一.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n")
            << QList<int>{150} << 250;
        QTest::newRow("a POSTGAP is silence after its track")
            << cue("postgap.cue",
                   "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n  POSTGAP 00:00:20\n"
                   "FILE \"b.flac\" WAVE\n TRACK 02 AUDIO\n  INDEX 01 00:00:00\n")
            << QList<int>{150, 270} << 330;
        QTest::newRow("a POSTGAP inside one file")
            << cue("postgap1.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                   "  POSTGAP 00:00:05\n TRACK 02 AUDIO\n  INDEX 01 00:00:25\n")
            << QList<int>{150, 180} << 195;
        QTest::newRow("a POSTGAP before the next track's INDEX 00 gap")
            << cue("postgap0.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                   "  POSTGAP 00:00:05\n TRACK 02 AUDIO\n  INDEX 00 00:00:20\n"
                                   "  INDEX 01 00:00:25\n")
            << QList<int>{150, 180} << 195;
        QTest::newRow("the last track's POSTGAP lengthens the disc")
            << cue("postlast.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                   "  POSTGAP 00:01:00\n")
            << QList<int>{150} << 325;
        QTest::newRow("a missing .wav is found as the .flac beside it")
            << cue("ripped.cue", "FILE \"ripped.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n")
            << QList<int>{150} << 210;
        QTest::newRow("a Windows absolute path whose file sits beside the sheet")
            << cue("windows.cue",
                   "FILE \"C:\\Rips\\Album\\a.wav\" WAVE\r\n TRACK 01 AUDIO\r\n  INDEX 01 00:00:00\r\n")
            << QList<int>{150} << 250;
        QTest::newRow("a Windows absolute path to another suffix")
            << cue("windows2.cue",
                   "FILE \"D:\\Music\\RIPPED.WAV\" WAVE\r\n TRACK 01 AUDIO\r\n  INDEX 01 00:00:00\r\n")
            << QList<int>{150} << 210;
        QTest::newRow("a Unix absolute path whose file sits beside the sheet")
            << cue("unix.cue",
                   "FILE \"/home/someone/rips/b.flac\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n")
            << QList<int>{150} << 210;
        QTest::newRow("numbered files in natural order") << "numbered" << QList<int>{150, 160, 180} << 210;
        QTest::newRow("natural order ignores letter case") << "named" << QList<int>{150, 170, 180} << 210;
    }

    void layout()
    {
        QFETCH(QString, source);
        QFETCH(QList<int>, starts);
        QFETCH(int, leadOut);
        QString error;
        auto image = DiscImage::open(QDir::isAbsolutePath(source) ? source : path(source), &error);
        QVERIFY2(image, qPrintable(error));
        QCOMPARE(QList<int>(image->toc().trackStarts.begin(), image->toc().trackStarts.end()), starts);
        QCOMPARE(image->toc().leadOut, leadOut);
    }

    // Sheets as rippers write them beyond the plain form: their notes say what
    // was read otherwise than written.
    void sheetsFromTheWild_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QList<int>>("starts");
        QTest::addColumn<int>("leadOut");
        QTest::addColumn<QString>("note");

        QTest::newRow("a placeholder data track after the audio")
            << cue("extra.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                " TRACK 02 AUDIO\n  INDEX 01 00:00:60\n TRACK 03 MODEx/2xxx\n"
                                "  INDEX 01 00:01:25\n")
            << QList<int>{150, 210} << 250 << "track 3 is data";
        QTest::newRow("a data track inside the last BIN ends the audio there")
            << cue("extrabin.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                   " TRACK 02 AUDIO\n  INDEX 01 00:00:10\n TRACK 03 MODE1/2352\n"
                                   "  INDEX 00 00:00:28\n  INDEX 01 00:00:30\n")
            << QList<int>{150, 160} << 178 << "track 3 is data";
        QTest::newRow("a data track in a file of its own that was not ripped")
            << cue("extrafile.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                    "FILE \"data.bin\" BINARY\n TRACK 02 MODE1/2352\n  INDEX 01 00:00:00\n")
            << QList<int>{150} << 250 << "the disc is its 1 audio";
        QTest::newRow("the same FILE on consecutive tracks is laid twice")
            << cue("twice.cue", "FILE \"b.flac\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                "FILE \"b.flac\" WAVE\n TRACK 02 AUDIO\n  INDEX 01 00:00:00\n")
            << QList<int>{150, 210} << 270 << QString();
        QTest::newRow("a FILE line repeated with the track further on in the file")
            << cue("again.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                "FILE \"c.bin\" BINARY\n TRACK 02 AUDIO\n  INDEX 01 00:00:25\n")
            << QList<int>{150, 175} << 190 << QString();
        QTest::newRow("tabs, CR LF line ends and a placeholder mode in small letters")
            << cue("tabs.cue", "FILE \"a.wav\" WAVE\r\n\tTRACK 01 AUDIO\r\n\t\tINDEX 01 00:00:00\r\n"
                               "\tTRACK 02 AUDIO\r\n\t\tINDEX 01 00:00:60\r\n\tTRACK 03 modex/2xxx\r\n"
                               "\t\tINDEX 01 00:01:25\r\n")
            << QList<int>{150, 210} << 250 << "track 3 is data";
        QTest::newRow("a file name with blanks, and one without quotes")
            << cue("names.cue", "FILE \"folder/01 first.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                "FILE b.flac WAVE\n TRACK 02 AUDIO\n  INDEX 01 00:00:00\n")
            << QList<int>{150, 250} << 310 << QString();
        QTest::newRow("INDEX 00 alone starts its track")
            << cue("only00.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 00 00:00:00\n"
                                 " TRACK 02 AUDIO\n  INDEX 00 00:00:25\n")
            << QList<int>{150, 175} << 190 << "track 2 has INDEX 00 but no INDEX 01";
        QTest::newRow("a TOC over one WAV, with CD-TEXT, START and an overlong last track")
            << cue("one.toc", "CD_DA\n\nCD_TEXT {\n  LANGUAGE_MAP {\n    0 : EN\n  }\n"
                              "  LANGUAGE 0 {\n    TITLE \"Album { odd } \\\"x\\\"\"\n  }\n}\n\n"
                              "// Track 1\nTRACK AUDIO\nNO COPY\nNO PRE_EMPHASIS\nTWO_CHANNEL_AUDIO\n"
                              "ISRC \"XXXXX0000001\"\nFILE \"a.wav\" 0 00:00:40\n\n"
                              "// Track 2\nTRACK AUDIO\nFILE \"a.wav\" 23520 00:00:30\nSTART 00:00:05\n\n"
                              "// Track 3\nTRACK AUDIO\nFILE \"a.wav\" 00:00:70 00:01:50\n")
            << QList<int>{150, 195, 220} << 250 << QString();
        QTest::newRow("a TOC over a BIN with a silent PREGAP")
            << cue("swap.toc", "CD_DA\nTRACK AUDIO\nSWAP\nFILE \"c.bin\" 0 00:00:20\n"
                               "TRACK AUDIO\nPREGAP 00:00:10\nFILE \"c.bin\" 00:00:20\n")
            << QList<int>{150, 180} << 200 << QString();
        QTest::newRow("a TOC's data track after the audio")
            << cue("extra.toc", "CD_ROM_XA\nTRACK AUDIO\nFILE \"c.bin\" 0 00:00:30\n"
                                "TRACK MODE2_FORM1\nDATAFILE \"c.bin\" #70560 00:00:10\n")
            << QList<int>{150} << 180 << "track 2 is data";
    }

    void sheetsFromTheWild()
    {
        QFETCH(QString, source);
        QFETCH(QList<int>, starts);
        QFETCH(int, leadOut);
        QFETCH(QString, note);
        QString error;
        auto image = DiscImage::open(source, &error);
        QVERIFY2(image, qPrintable(error));
        QCOMPARE(QList<int>(image->toc().trackStarts.begin(), image->toc().trackStarts.end()), starts);
        QCOMPARE(image->toc().leadOut, leadOut);
        const QString notes = image->notes().join(QLatin1Char('\n'));
        QVERIFY2(note.isEmpty() ? notes.isEmpty() : notes.contains(note), qPrintable(notes));
    }

    // An Enhanced CD ripped track by track: twelve audio files of 40 frames
    // and the data track's placeholder at the end of the last file.
    void enhancedCdKeepsThePhysicalDiscId()
    {
        const QString folder = path("extra");
        QVERIFY(QDir().mkpath(folder));
        QByteArray sheet;
        for (int t = 1; t <= 12; ++t) {
            const QString name = QStringLiteral("%1.wav").arg(t, 2, 10, QLatin1Char('0'));
            QVERIFY(writeSound(folder + QLatin1Char('/') + name, SF_FORMAT_WAV, t, frames(40)));
            sheet += "FILE \"" + name.toLatin1() + "\" WAVE\n  TRACK " + QByteArray::number(t) +
                     " AUDIO\n    INDEX 01 00:00:00\n";
        }
        sheet += "  TRACK 13 MODEx/2xxx\n    INDEX 01 00:00:40\n";
        QVERIFY(writeBytes(folder + QStringLiteral("/disc.cue"), sheet));
        QString error;
        auto image = DiscImage::open(folder + QStringLiteral("/disc.cue"), &error);
        QVERIFY2(image, qPrintable(error));
        // Track k starts at 150 + 40 (k - 1); the audio session's lead-out is
        // 150 + 12 * 40 = 630. On the pressed disc the data track starts at
        // 630 + 11,400 = 12,030, and the disc ID is computed from the audio
        // session with lead-out 12,030 - 11,400 = 630: the sheet's data entry
        // already sits where the audio ends, so nothing is taken off again.
        QCOMPARE(image->toc().trackCount(), 12);
        QCOMPARE(image->toc().trackStart(12), 590);
        QCOMPARE(image->toc().leadOut, 630);
        // SHA-1 over "01" "0C" "00000276" (630) "00000096" (150) ... "0000024E"
        // (590) and 87 times "00000000", in MusicBrainz's base64 alphabet.
        QCOMPARE(DiscIdentity::fromToc(image->toc()), QByteArray("evjQ5cCKV60sN_Rolon6U.UzOdI-"));
    }

    // Reads straddle track and file boundaries and the padding of a short file.
    // Lyrics are associated by the disc ID: a folder's stays what it was when
    // each of its files was counted in whole frames.
    void aFolderKeepsTheIdentityTableOfWholeFrames()
    {
        auto image = DiscImage::open(path("uneven"), nullptr);
        QVERIFY(image);
        const DiscToc& table = image->identityToc();
        QCOMPARE(QList<int>(table.trackStarts.begin(), table.trackStarts.end()), (QList<int>{150, 161}));
        QCOMPARE(table.leadOut, 167);
    }

    void samples_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray silence(4 * 294, '\0');
        QTest::newRow("wav into flac across the folder's track boundary")
            << "folder" << 245 << 10 << pcm(0, frames(100)).mid(frames(95) * 4) + pcm(1, frames(5));
        QTest::newRow("flac to the end of the disc and past it")
            << "folder" << 300 << 15
            << pcm(1, frames(60)).mid(frames(50) * 4) + QByteArray(frames(5) * 4, '\0');
        QTest::newRow("bin track boundary inside one file")
            << cue("bin2.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                               " TRACK 02 AUDIO\n  INDEX 01 00:00:25\n")
            << 170 << 10 << pcm(2, frames(40)).mid(frames(20) * 4, frames(10) * 4);
        QTest::newRow("wav, flac and bin of one cue sheet")
            << cue("multi2.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                 "FILE \"b.flac\" WAVE\n TRACK 02 AUDIO\n  INDEX 01 00:00:00\n"
                                 "FILE \"c.bin\" BINARY\n TRACK 03 AUDIO\n  INDEX 01 00:00:00\n")
            << 249 << 63 << pcm(0, frames(100)).right(frames(1) * 4) + pcm(1, frames(60)) + pcm(2, frames(2));
        QTest::newRow("the lead-in before track 1 is silence")
            << "a.wav" << 148 << 3 << QByteArray(frames(2) * 4, '\0') + pcm(0, frames(1));
        QTest::newRow("the last frame of a short file is padded")
            << "short.wav" << 160 << 1 << pcm(3, frames(10) + 294).mid(frames(10) * 4) + silence;
        QTest::newRow("PREGAP silence then the next file")
            << cue("silence2.cue",
                   "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                   "FILE \"b.flac\" WAVE\n TRACK 02 AUDIO\n  PREGAP 00:00:30\n  INDEX 01 00:00:00\n")
            << 279 << 2 << QByteArray(frames(1) * 4, '\0') + pcm(1, frames(1));
        QTest::newRow("POSTGAP silence between two tracks of one file")
            << cue("postgap2.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                   "  POSTGAP 00:00:05\n TRACK 02 AUDIO\n  INDEX 00 00:00:20\n"
                                   "  INDEX 01 00:00:25\n")
            << 169 << 7
            << pcm(2, frames(40)).mid(frames(19) * 4, frames(1) * 4) + QByteArray(frames(5) * 4, '\0') +
                   pcm(2, frames(40)).mid(frames(20) * 4, frames(1) * 4);
        QTest::newRow("the first of the numbered files is 1") << "numbered" << 150 << 1 << pcm(2, frames(1));
        QTest::newRow("a TOC's raw file is big-endian, its PREGAP silence")
            << cue("be.toc", "CD_DA\nTRACK AUDIO\nFILE \"be.bin\" 0 00:00:20\n"
                             "TRACK AUDIO\nPREGAP 00:00:10\nFILE \"be.bin\" 00:00:20\n")
            << 169 << 12
            << pcm(2, frames(40)).mid(frames(19) * 4, frames(1) * 4) + QByteArray(frames(10) * 4, '\0') +
                   pcm(2, frames(40)).mid(frames(20) * 4, frames(1) * 4);
        QTest::newRow("a folder's next file begins right after the last sample of the one before")
            << "uneven" << 160 << 7
            << pcm(3, frames(10) + 294).mid(frames(10) * 4) + pcm(1, frames(5) + 100) +
                   QByteArray(782 * 4, '\0');
    }

    void samples()
    {
        QFETCH(QString, source);
        QFETCH(int, frame);
        QFETCH(int, count);
        QFETCH(QByteArray, expected);
        auto image = DiscImage::open(QDir::isAbsolutePath(source) ? source : path(source), nullptr);
        QVERIFY(image);
        QByteArray out(count * CdFrames::BytesPerFrame, 'x');
        QString error;
        QVERIFY2(image->read(frame, count, out.data(), &error), qPrintable(error));
        QCOMPARE(out.size(), expected.size());
        QVERIFY(out == expected);
        // The same bytes read one frame at a time.
        QByteArray pieces;
        for (int f = frame; f < frame + count; ++f) {
            QByteArray one(CdFrames::BytesPerFrame, 'x');
            QVERIFY(image->read(f, 1, one.data(), nullptr));
            pieces += one;
        }
        QVERIFY(pieces == expected);
    }

    // Mono is heard on both channels; 22.05 kHz doubles every sample, the odd
    // ones halfway between their neighbours.
    void convertsMonoAndRate()
    {
        auto image = DiscImage::open(path("mono.wav"), nullptr);
        QVERIFY(image);
        QByteArray out(2 * CdFrames::BytesPerFrame, '\0');
        QVERIFY(image->read(150, 2, out.data(), nullptr));
        const auto* s = reinterpret_cast<const qint16*>(out.constData());
        for (int i = 0; i < 600; ++i) {
            const double a = pattern(4, i / 2), b = pattern(4, i / 2 + 1);
            const qint16 want = qint16(std::lround(i % 2 ? (a + b) / 2 : a));
            QCOMPARE(s[2 * i], want);
            QCOMPARE(s[2 * i + 1], want);
        }
    }

    // One image, one lock, whatever path names it; a copy is another image.
    void lockFollowsTheFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("same");
        QTest::newRow("the same path") << "same" << true;
        QTest::newRow("a symbolic link") << "symlink" << true;
        QTest::newRow("a path through ..") << "dotdot" << true;
        QTest::newRow("a hard link") << "hardlink" << true;
        QTest::newRow("a copy") << "copy" << false;
    }
    void lockFollowsTheFile()
    {
        QFETCH(QString, how);
        QFETCH(bool, same);
        const QString original = path("a.wav");
        QString other = original;
        if (how == QLatin1String("symlink")) {
            other = path("sym.wav");
            QFile::remove(other);
            QVERIFY(QFile::link(original, other));
        }
        else if (how == QLatin1String("dotdot")) {
            other = path("folder/../a.wav");
        }
        else if (how == QLatin1String("hardlink")) {
            other = path("hard.wav");
            QFile::remove(other);
            QCOMPARE(::link(QFile::encodeName(original).constData(), QFile::encodeName(other).constData()),
                     0);
        }
        else if (how == QLatin1String("copy")) {
            other = path("copy.wav");
            QFile::remove(other);
            QVERIFY(QFile::copy(original, other));
        }
        QCOMPARE(ImageDisc::lockKeyFor(other) == ImageDisc::lockKeyFor(original), same);
    }

    void unreadable_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("reason");

        QTest::newRow("missing file") << "nothing.cue"
                                      << "does not exist";
        QTest::newRow("corrupt cue") << cue("corrupt.cue", "this is not a cue sheet\n") << "cannot be read";
        QTest::newRow("cue naming a missing file")
            << cue("lost.cue", "FILE \"lost.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n")
            << "lost.wav";
        QTest::newRow("data track")
            << cue("data.cue", "FILE \"c.bin\" BINARY\n TRACK 01 MODE1/2352\n  INDEX 01 00:00:00\n")
            << "data track";
        QTest::newRow("track past the end of its file")
            << cue("past.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                               " TRACK 02 AUDIO\n  INDEX 01 00:01:00\n")
            << "track 2 holds no audio";
        QTest::newRow("tracks out of order")
            << cue("order.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:50\n"
                                " TRACK 02 AUDIO\n  INDEX 01 00:00:10\n")
            << "starts before";
        QTest::newRow("a time no disc has names its line")
            << cue("time.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 99:99:99\n"
                               " TRACK 02 AUDIO\n  INDEX 01 00:00:10\n")
            << "line 3: INDEX 01 99:99:99 is no time on a disc";
        QTest::newRow("a gap no disc has names its line")
            << cue("gaptime.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                  " TRACK 02 AUDIO\n  pregap 00:60:00\n  INDEX 01 00:00:10\n")
            << "line 5: PREGAP 00:60:00 is no time on a disc";
        QTest::newRow("a data track between audio tracks")
            << cue("middle.cue", "FILE \"c.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                 " TRACK 02 MODE1/2352\n  INDEX 01 00:00:10\n TRACK 03 AUDIO\n"
                                 "  INDEX 01 00:00:20\n")
            << "track 2 is a data track";
        QTest::newRow("a TOC that starts with its data track")
            << cue("mixed.toc", "CD_ROM\nTRACK MODE1\nDATAFILE \"c.bin\"\nTRACK AUDIO\nFILE \"a.wav\" 0\n")
            << "line 2: track 1 is a data track";
        QTest::newRow("a TOC skipping part of its file")
            << cue("gap.toc", "CD_DA\nTRACK AUDIO\nFILE \"a.wav\" 0 00:00:40\n"
                              "TRACK AUDIO\nFILE \"a.wav\" 00:00:50\n")
            << "line 5: track 2 starts 50 frames into a.wav";
        QTest::newRow("binary junk as a cue sheet")
            << cue("junk.cue", QByteArray("\x00\x01\xff\xfe", 4)) << "not text";
        QTest::newRow("not an audio file") << "noise.wav"
                                           << "cannot read";
        QTest::newRow("a missing file with no other suffix beside it")
            << cue("nowhere.cue",
                   "FILE \"C:\\Rips\\nowhere.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n")
            << "nowhere.wav";
        QTest::newRow("folder without audio") << "empty"
                                              << "no audio files";
        QByteArray hundred = "FILE \"a.wav\" WAVE\n";
        for (int t = 1; t <= 100; ++t)
            hundred += QStringLiteral(" TRACK %1 AUDIO\n  INDEX 01 00:00:%2\n")
                           .arg(t, 2, 10, QLatin1Char('0'))
                           .arg(t % 75, 2, 10, QLatin1Char('0'))
                           .toLatin1();
        QTest::newRow("a hundred tracks") << cue("hundred.cue", hundred) << "100 tracks";
        QTest::newRow("a FLAC cut after its header") << "cut.flac"
                                                     << "cannot be decoded";
        // Pipes would block the player before any window appears.
        QTest::newRow("a pipe as the disc") << "pipe.wav"
                                            << "not a regular file";
        QTest::newRow("a pipe as the cue sheet") << "pipe.cue"
                                                 << "not a regular file";
        QTest::newRow("a cue sheet naming a pipe")
            << cue("piped.cue", "FILE \"pipe.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n")
            << "not a regular file";
    }

    void unreadable()
    {
        QFETCH(QString, source);
        QFETCH(QString, reason);
        QString error;
        auto image = DiscImage::open(QDir::isAbsolutePath(source) ? source : path(source), &error);
        QVERIFY(!image);
        QVERIFY2(error.contains(reason), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(tst_DiscImage)
#include "tst_DiscImage.moc"
