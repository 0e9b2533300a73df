#include "lyrics/ImageCanvas.h"
#include "lyrics/LyricsPreview.h"
#include "lyrics/format/CaptureFile.h"
#include "lyrics/format/DwdCapture.h"
#include "lyrics/format/DwdWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString PictureDir = QStringLiteral(ONDEL_TEST_SOURCE_DIR "/tests/compile/pictures");

TrackPosition at(int m, int s, int f)
{
    return {qint16(m), qint16(s), qint16(f)};
}

QString timeName(const TrackPosition& p)
{
    return QStringLiteral("%1-%2-%3")
        .arg(p.minutes)
        .arg(p.seconds, 2, 10, QLatin1Char('0'))
        .arg(p.frames, 2, 10, QLatin1Char('0'));
}

// The script NAME.txt timed by NAME.times (one m:ss:ff per key press),
// compiled as the compiler window writes it.
QString compileScript(const QTemporaryDir& dir, const QString& name)
{
    QFile script(PictureDir + QLatin1Char('/') + name + QStringLiteral(".txt"));
    QFile times(PictureDir + QLatin1Char('/') + name + QStringLiteral(".times"));
    if (!script.open(QIODevice::ReadOnly) || !times.open(QIODevice::ReadOnly))
        return {};
    const QString output = dir.filePath(name + QStringLiteral(".dwd"));
    CaptureFile storage;
    DwdCapture capture(storage);
    capture.setScript(script.readAll());
    capture.begin(output);
    qint32 lineBreaks = 0;
    for (const QByteArray& line : times.readAll().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(':');
        if (parts.size() == 3)
            capture.press(at(parts[0].toInt(), parts[1].toInt(), parts[2].toInt()), lineBreaks);
    }
    capture.finish();
    return output;
}

QImage render(const QString& dwd, const TrackPosition& time, const QList<TrackPosition>& redraws = {})
{
    LyricsPreview preview;
    QString error;
    if (!preview.open(dwd, error))
        return {};
    preview.runTo(time, redraws);
    return preview.image();
}

// Pixels are compared by colour class (each channel in four steps), so that
// text smoothed a little differently by another font renderer still matches.
int colourClass(QRgb c)
{
    return (qRed(c) >> 6) << 4 | (qGreen(c) >> 6) << 2 | (qBlue(c) >> 6);
}

// Pixels of `a` whose class is found nowhere within one pixel of the same
// place in `b`: a piece in another colour or place shows up, a glyph edge
// smoothed differently does not.
int unmatchedPixels(const QImage& a, const QImage& b)
{
    int unmatched = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const int wanted = colourClass(a.pixel(x, y));
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const QPoint p(x + dx, y + dy);
                    found = b.rect().contains(p) && colourClass(b.pixel(p)) == wanted;
                }
            unmatched += !found;
        }
    }
    return unmatched;
}

const QString DemoDwd = QStringLiteral(ONDEL_TEST_BINARY_DIR "/demo/sakura.dwd");

// A command of a DWD record: its code and its 16-bit arguments.
QByteArray command(quint8 code, std::initializer_list<qint16> args)
{
    QByteArray bytes(1, char(code));
    for (qint16 a : args) {
        bytes += char(a & 0xFF);
        bytes += char((a >> 8) & 0xFF);
    }
    return bytes;
}

// Four pieces for the wipe: "Sakura " from 1.000 s over a whole second,
// "saku" CR LF "ra " across a line break from 2.000 s over 800 ms, "Yayoi"
// larger from 2.800 s (1.2 s to the next piece, so it fills in the 1 s cap)
// and " no sora" from 4.000 s, the last piece, also in 1 s.
QString writeWipeSong(const QTemporaryDir& dir)
{
    struct Piece {
        TrackPosition delta;
        QByteArray commands;
        QByteArray text;
    };
    const QList<Piece> pieces = {
        {at(0, 1, 0), "\x02" + command(2, {20}) + command(5, {10, 10}), "Sakura "},
        {at(0, 1, 0), QByteArray(1, '\0'), "saku\r\nra "},
        {at(0, 0, 60), "\x01" + command(2, {32}), "Yayoi"},
        {at(0, 1, 15), "\x01" + command(2, {20}), " no sora"},
    };
    QFile file(dir.filePath(QStringLiteral("wipe.dwd")));
    if (!file.open(QIODevice::ReadWrite) || !DwdWriter::writeHeader(file))
        return {};
    for (const Piece& p : pieces)
        DwdWriter::writeRecord(file, p.text, p.commands, p.delta);
    file.seek(0);
    DwdWriter::writeHeader(file);
    return file.fileName();
}

QImage renderMs(const QString& dwd, qint64 ms, bool wipe)
{
    LyricsPreview preview;
    preview.setWipe(wipe);
    QString error;
    if (!preview.open(dwd, error))
        return {};
    preview.runToMs(ms);
    return preview.image();
}

// The scripts of tests/compile/pictures and the moments pictured; between
// them they use every command.
struct Moment {
    const char* script;
    TrackPosition time;
};
const QList<Moment> Moments = {
    {"layout", at(0, 0, 50)}, {"layout", at(0, 5, 0)}, {"layout", at(0, 9, 0)}, {"pages", at(0, 1, 10)},
    {"pages", at(0, 4, 30)},  {"pages", at(0, 6, 10)}, {"pages", at(0, 7, 5)},  {"pages", at(0, 10, 10)},
    {"dense", at(0, 1, 40)},  {"dense", at(0, 2, 20)},
};
} // namespace

// Pictures of the lyrics window at chosen moments of a few scripts, drawn the
// way the window draws them, against reference pictures looked at by eye.
// ONDEL_WRITE_PICTURES=1 writes the references anew instead of comparing.
class tst_LyricsPreview : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        ImageCanvas::installFontSubstitutes();
        QVERIFY(dir_.isValid());
    }

    void picture_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<TrackPosition>("time");
        for (const Moment& m : Moments) {
            const QString name = QString::fromLatin1(m.script) + QLatin1Char('-') + timeName(m.time);
            QTest::newRow(qPrintable(name)) << QString::fromLatin1(m.script) << m.time;
        }
    }

    void picture()
    {
        QFETCH(QString, script);
        QFETCH(TrackPosition, time);
        const QString dwd = compileScript(dir_, script);
        QVERIFY(!dwd.isEmpty());
        const QImage image = render(dwd, time);
        QVERIFY(!image.isNull());
        const QString reference = PictureDir + QLatin1Char('/') + script + QLatin1Char('-') + timeName(time) +
                                  QStringLiteral(".png");
        if (qEnvironmentVariableIsSet("ONDEL_WRITE_PICTURES")) {
            QVERIFY(image.save(reference));
            QSKIP("reference written");
        }
        QImage expected(reference);
        QVERIFY2(!expected.isNull(), qPrintable(reference));
        expected = expected.convertToFormat(image.format());
        QCOMPARE(image.size(), expected.size());
        QCOMPARE(unmatchedPixels(image, expected), 0);
        QCOMPARE(unmatchedPixels(expected, image), 0);
    }

    // The wipe at moments of its pieces: a third and two thirds through, at
    // the start and the end; across a line break; in a larger size; the last
    // piece, filled in the cap.
    void wipePicture_data()
    {
        QTest::addColumn<qint64>("ms");
        for (const qint64 ms : {1333, 2267, 2533, 2800, 3467, 3800, 4500})
            QTest::newRow(qPrintable(QStringLiteral("wipe-%1").arg(ms))) << ms;
    }

    void wipePicture()
    {
        QFETCH(qint64, ms);
        const QString dwd = writeWipeSong(dir_);
        QVERIFY(!dwd.isEmpty());
        const QImage image = renderMs(dwd, ms, true);
        QVERIFY(!image.isNull());
        const QString reference = PictureDir + QStringLiteral("/wipe-%1.png").arg(ms);
        if (qEnvironmentVariableIsSet("ONDEL_WRITE_PICTURES")) {
            QVERIFY(image.save(reference));
            QSKIP("reference written");
        }
        QImage expected(reference);
        QVERIFY2(!expected.isNull(), qPrintable(reference));
        expected = expected.convertToFormat(image.format());
        QCOMPARE(image.size(), expected.size());
        QCOMPARE(unmatchedPixels(image, expected), 0);
        QCOMPARE(unmatchedPixels(expected, image), 0);
    }

    // Exactly, pixel for pixel: a full redraw at any moment gives back the
    // wipe's picture, and whenever no piece is filling (and the page is the
    // same) the wipe's picture is the all-at-once one.
    void wipeAgreesWithRedrawAndClassic_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<int>("stepMs");
        QTest::newRow("four pieces every 7 ms") << false << 7;
        QTest::newRow("the demo song every tick") << true << int(LyricsPreview::TickMs);
    }

    void wipeAgreesWithRedrawAndClassic()
    {
        QFETCH(bool, demo);
        QFETCH(int, stepMs);
        if (demo && !QFile::exists(DemoDwd))
            QSKIP("the demo lyrics are built with the player");
        const QString dwd = demo ? DemoDwd : writeWipeSong(dir_);
        LyricsPreview wipe, classic;
        wipe.setWipe(true);
        QString error;
        QVERIFY(wipe.open(dwd, error) && classic.open(dwd, error));
        int filling = 0;
        int whole = 0;
        for (qint64 ms = 0; !wipe.reading().wordsEnded || wipe.lyrics().wipeEndMs(); ms += stepMs) {
            QVERIFY(ms < 60000);
            wipe.runToMs(ms);
            classic.runToMs(ms);
            const QImage running = wipe.image();
            wipe.redraw();
            QVERIFY2(wipe.image() == running, qPrintable(QString::number(ms)));
            if (wipe.lyrics().wipeEndMs()) {
                ++filling;
                continue;
            }
            // The wipe's page turns wait for its last piece to fill.
            if (wipe.lyrics().PageIndex != classic.lyrics().PageIndex)
                continue;
            QVERIFY2(running == classic.image(), qPrintable(QString::number(ms)));
            ++whole;
        }
        QVERIFY(filling > 10);
        QVERIFY(whole > 10);
    }

    // A full redraw at any moment (a click on the window, a resize to the same
    // size) gives back the picture that was on screen.
    void redrawChangesNothing_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<TrackPosition>("time");
        QTest::addColumn<int>("everyMs");
        for (const char* script : {"layout", "pages", "dense"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 every 250 ms").arg(QLatin1String(script))))
                << QString::fromLatin1(script) << at(0, 11, 0) << 250;
            QTest::newRow(qPrintable(QStringLiteral("%1 after every tick").arg(QLatin1String(script))))
                << QString::fromLatin1(script) << at(0, 11, 0) << 50;
        }
    }

    void redrawChangesNothing()
    {
        QFETCH(QString, script);
        QFETCH(TrackPosition, time);
        QFETCH(int, everyMs);
        const QString dwd = compileScript(dir_, script);
        LyricsPreview plain, redrawn;
        QString error;
        QVERIFY(plain.open(dwd, error) && redrawn.open(dwd, error));
        const qint64 endMs = ((qint64(time.minutes) * 60 + time.seconds) * 75 + time.frames) * 1000 / 75;
        for (qint64 ms = everyMs; ms <= endMs; ms += everyMs) {
            const TrackPosition now = LyricsPreview::positionAt(ms);
            plain.runTo(now);
            redrawn.runTo(now, {now});
            QVERIFY2(plain.image() == redrawn.image(), qPrintable(timeName(now)));
        }
    }

    // The all-at-once display at every tick of the demo song, against the
    // pictures the player drew before pieces were timed between ticks: the
    // reference holds the hash of the picture from each tick where it changed.
    void classicDemoUnchanged()
    {
        if (!QFile::exists(DemoDwd))
            QSKIP("the demo lyrics are built with the player");
        LyricsPreview preview;
        QString error;
        QVERIFY(preview.open(DemoDwd, error));
        QStringList changes;
        QByteArray last;
        for (qint64 ms = 0; ms <= 40000; ms += LyricsPreview::TickMs) {
            preview.runTo(LyricsPreview::positionAt(ms));
            const QImage& image = preview.image();
            const QByteArray hash =
                QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()),
                                         QCryptographicHash::Md5)
                    .toHex();
            if (hash != last)
                changes << QString::number(ms) + QLatin1Char(' ') + QString::fromLatin1(hash);
            last = hash;
        }
        QFile reference(PictureDir + QStringLiteral("/demo-classic.md5"));
        if (qEnvironmentVariableIsSet("ONDEL_WRITE_PICTURES")) {
            QVERIFY(reference.open(QIODevice::WriteOnly));
            reference.write(changes.join(QLatin1Char('\n')).toLatin1() + '\n');
            QSKIP("reference written");
        }
        QVERIFY(reference.open(QIODevice::ReadOnly));
        QCOMPARE(changes,
                 QString::fromLatin1(reference.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    }

    // On the demo disc's lyrics every page's last piece is on screen, sung and
    // with no pre text left, before its page turns; with the wipe, filled.
    void demoPagesEndSung_data()
    {
        QTest::addColumn<bool>("wipe");
        QTest::newRow("all at once") << false;
        QTest::newRow("wipe") << true;
    }

    void demoPagesEndSung()
    {
        QFETCH(bool, wipe);
        const QString demo = DemoDwd;
        if (!QFile::exists(demo))
            QSKIP("the demo lyrics are built with the player");
        LyricsPreview preview;
        preview.setWipe(wipe);
        QString error;
        QVERIFY(preview.open(demo, error));
        int turns = 0;
        QByteArray written;
        QImage picture;
        qint32 page = -1;
        for (qint64 ms = 0; ms < 60000 && !preview.reading().wordsEnded; ms += LyricsPreview::TickMs) {
            preview.runTo(LyricsPreview::positionAt(ms));
            if (page >= 0 && preview.lyrics().PageIndex != page) {
                ++turns;
                QByteArray shown;
                const ExtendedText& pre = lastShown_;
                for (qint32 i = 0; i < pre.count(); ++i)
                    shown += pre.getItem(i)->text();
                QCOMPARE(written, shown);
                QCOMPARE(greyPixels(picture), 0);
            }
            page = preview.lyrics().PageIndex;
            lastShown_ = preview.lyrics().shownPreText_;
            written.clear();
            for (qint32 i = 0; i < preview.lyrics().writtenText_.count(); ++i)
                written += preview.lyrics().writtenText_.getItem(i)->text();
            picture = preview.image();
        }
        QCOMPARE(turns, 2);
    }

private:
    // Pre text of the demo is grey; sung text is blue and the background cream.
    static int greyPixels(const QImage& image)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                n += qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) < 200;
            }
        return n;
    }

    QTemporaryDir dir_;
    ExtendedText lastShown_;
};

QTEST_MAIN(tst_LyricsPreview)
#include "tst_LyricsPreview.moc"
