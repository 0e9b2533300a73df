#include "AudioFixtures.h"
#include "platform/cdaudio/DiscImage.h"
#include "platform/cdaudio/SoundFile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace AudioFixtures;

namespace {
constexpr qint64 Written = 4 * 44100; // a second of silence, then three of noise

// An MP3 written through libsndfile (which puts a Xing or Info frame first).
QByteArray encodeMp3(const QString& path, bool variable)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return {};
    int mode = variable ? SF_BITRATE_MODE_VARIABLE : SF_BITRATE_MODE_CONSTANT;
    sf_command(f, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    QRandomGenerator random(18);
    std::vector<short> data(size_t(Written * 2));
    for (qint64 i = 44100; i < Written; ++i) {
        data[size_t(2 * i)] = qint16(random.bounded(20000) - 10000);
        data[size_t(2 * i + 1)] = qint16(-data[size_t(2 * i)]);
    }
    sf_writef_short(f, data.data(), Written);
    sf_close(f);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Byte length of the MPEG-1 layer III frame whose header starts at offset.
qsizetype frameLength(const QByteArray& mp3, qsizetype offset)
{
    static const int kbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    if (offset + 4 > mp3.size() || quint8(mp3[offset]) != 0xFF || (quint8(mp3[offset + 1]) & 0xFE) != 0xFA)
        return 0;
    const int rate = kbps[quint8(mp3[offset + 2]) >> 4];
    return rate ? 144 * rate * 1000 / 44100 + ((quint8(mp3[offset + 2]) >> 1) & 1) : 0;
}

// The decoded length of a stream without a length header: 1152 samples a frame.
qint64 samplesByFrames(const QByteArray& mp3, qsizetype from)
{
    qint64 frames = 0;
    for (qsizetype at = from, length; (length = frameLength(mp3, at)) > 0; at += length)
        ++frames;
    return frames * 1152;
}

QByteArray id3Tag()
{
    const QByteArray body = QByteArray("TIT2") + QByteArray::fromHex("0000000b0000") + "\x03Sakura..";
    QByteArray tag = QByteArray("ID3\x03\x00\x00", 6);
    const qsizetype size = body.size() + 20; // and some padding
    for (int shift : {21, 14, 7, 0})
        tag += char((size >> shift) & 0x7F);
    return tag + body + QByteArray(20, '\0');
}
} // namespace

// Lengths of compressed files are exact: a decoder's estimate would put the
// tracks of a folder in the wrong places and end reads with an error.
class tst_SoundFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private Q_SLOTS:
    void mp3Length_data()
    {
        QTest::addColumn<bool>("variable");
        QTest::addColumn<bool>("lengthHeader");
        QTest::addColumn<bool>("tagged");

        QTest::newRow("VBR with its Xing header") << true << true << false;
        QTest::newRow("CBR with its Info header") << false << true << false;
        QTest::newRow("VBR without a Xing header") << true << false << false;
        QTest::newRow("CBR without an Info header") << false << false << false;
        QTest::newRow("VBR without a Xing header behind an ID3v2 tag") << true << false << true;
        QTest::newRow("VBR with a Xing header behind an ID3v2 tag") << true << true << true;
    }

    void mp3Length()
    {
        QFETCH(bool, variable);
        QFETCH(bool, lengthHeader);
        QFETCH(bool, tagged);
        const QString path = dir_.filePath(QStringLiteral("%1.mp3").arg(QTest::currentDataTag()));
        QByteArray mp3 = encodeMp3(path, variable);
        const qsizetype xing = frameLength(mp3, 0);
        QVERIFY2(xing > 0 && mp3.mid(0, xing).contains(variable ? "Xing" : "Info"), "no MP3 encoder");
        if (!lengthHeader)
            mp3.remove(0, xing);
        const qint64 expected = lengthHeader ? Written : samplesByFrames(mp3, 0);
        QVERIFY(expected > Written - 1152);
        if (tagged)
            mp3.prepend(id3Tag());
        QVERIFY(writeBytes(path, mp3));

        QString error;
        const auto file = SoundFile::open(path, &error);
        QVERIFY2(file, qPrintable(error));
        QCOMPARE(file->samples(), expected);

        // The whole disc reads to its end without a failure.
        const auto image = DiscImage::open(path, &error);
        QVERIFY2(image, qPrintable(error));
        const int frames = image->toc().leadOut - CdFrames::LeadIn;
        QCOMPARE(frames, int((expected + CdFrames::SamplesPerFrame - 1) / CdFrames::SamplesPerFrame));
        QByteArray out(qsizetype(frames) * CdFrames::BytesPerFrame, '\0');
        error.clear();
        QVERIFY2(image->read(CdFrames::LeadIn, frames, out.data(), &error), qPrintable(error));
        QVERIFY(error.isEmpty());
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("damage"); // "garbage", "text", "flac header" or "missing"
        QTest::addColumn<QString>("reason");
        QTest::newRow("random bytes named .mp3")
            << "noise.mp3" << QByteArray("garbage")
            << "it is not a sound file (its start matches no sound format)";
        QTest::newRow("text named .mp3") << "text.mp3" << QByteArray("text")
                                         << "it is not a sound file (its start matches no sound format)";
        QTest::newRow("FLAC with a damaged header")
            << "damaged.flac" << QByteArray("flac header")
            << "it is a FLAC file, but damaged: its header cannot be decoded";
        QTest::newRow("missing file") << "gone.wav" << QByteArray("missing") << "No such file or directory";
    }

    // A file that cannot be played is refused with its name and what is
    // wrong with it, never "does not exist" for a file that is there.
    void unreadableFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, damage);
        QFETCH(QString, reason);
        const QString path = dir_.filePath(name);
        QByteArray bytes;
        if (damage == "garbage") {
            QRandomGenerator random(7);
            for (int i = 0; i < 5000; ++i)
                bytes += char(random.bounded(0x80)); // never an MPEG frame's first byte
        }
        else if (damage == "text") {
            bytes = QByteArray("not audio at all, just text\n").repeated(50);
        }
        else if (damage == "flac header") {
            QVERIFY(writeSound(path, SF_FORMAT_FLAC, 2, 44100));
            QFile flac(path);
            QVERIFY(flac.open(QIODevice::ReadOnly));
            bytes = flac.readAll();
            // Past the "fLaC" mark and the stream info block's header.
            for (qsizetype i = 42; i < 120; ++i)
                bytes[i] = char(i * 37);
        }
        if (damage != "missing")
            QVERIFY(writeBytes(path, bytes));
        QString error;
        QVERIFY(!SoundFile::open(path, &error));
        QCOMPARE(error, QStringLiteral("cannot read %1 as audio: %2").arg(path, reason));
    }
};

QTEST_GUILESS_MAIN(tst_SoundFile)
#include "tst_SoundFile.moc"
