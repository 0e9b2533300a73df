#include "GeneratedMusic.h"
#include "core/TrackPosition.h"
#include "lyrics/format/DwdRetime.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {
constexpr qint64 OneFrame = 588;

struct Run {
    int exitCode = -1;
    QByteArray out;
};

Run runTool(const QTemporaryDir& dir, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(ONDEL_TEST_BINARY_DIR "/ondel-dwd"), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput()};
}

// A DWD file of one-letter pieces at these frames.
QByteArray dwdAt(const std::vector<int>& frames)
{
    QByteArray bytes = "DWD" + QByteArray(8, '\0');
    int previous = 0;
    for (const int frame : frames) {
        const TrackPosition delta =
            TrackPosition::timeDelta(TrackPosition::fromFrames(frame), TrackPosition::fromFrames(previous));
        previous = frame;
        QByteArray record(6 + 1 + 4 + 1, '\0');
        qToLittleEndian(delta.minutes, record.data());
        qToLittleEndian(delta.seconds, record.data() + 2);
        qToLittleEndian(delta.frames, record.data() + 4);
        qToLittleEndian(qint32(1), record.data() + 7);
        record[11] = 'a';
        bytes += record;
    }
    qToLittleEndian(qint32(bytes.size()), bytes.data() + 7);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

class OnsetCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Pieces tapped up to 60 ms off the notes, snapped: nearly all land
    // within a frame of their own note, none on a neighbour's.
    void snapsJitteredPiecesOntoTheirNotes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("noiseDb");
        QTest::newRow("sung") << "sung" << 0.0;
        QTest::newRow("sung in noise") << "sung" << -36.0;
        QTest::newRow("drums") << "drums" << 0.0;
        QTest::newRow("struck tones in noise") << "tones" << -36.0;
    }
    void snapsJitteredPiecesOntoTheirNotes()
    {
        QFETCH(QString, kind);
        QFETCH(double, noiseDb);
        QTemporaryDir dir;
        GeneratedSong song = kind == QLatin1String("sung")    ? GeneratedMusic::sung(40, 11)
                             : kind == QLatin1String("drums") ? GeneratedMusic::drums(40, 12)
                                                              : GeneratedMusic::tones(40, 13);
        if (noiseDb < 0)
            GeneratedMusic::addNoise(song, noiseDb, 14);
        QVERIFY(GeneratedMusic::writeWav(song, dir.filePath(QStringLiteral("song.wav"))));
        std::mt19937 random(15);
        std::uniform_int_distribution<qint64> jitter(-60 * 441 / 10, 60 * 441 / 10);
        std::vector<int> tapped;
        for (const qint64 onset : song.onsets)
            tapped.push_back(int(std::max<qint64>(0, onset + jitter(random)) / OneFrame));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("taps.dwd")), dwdAt(tapped)));

        const Run run = runTool(dir, {"snap", "taps.dwd", "--audio", "song.wav", "-o", "snapped.dwd"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(" moved"), run.out.constData());
        QFile out(dir.filePath(QStringLiteral("snapped.dwd")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QList<int> snapped = DwdRetime::pieceFrames(out.readAll());
        QCOMPARE(snapped.size(), qsizetype(song.onsets.size()));
        int close = 0;
        for (qsizetype i = 0; i < snapped.size(); ++i) {
            const qint64 at = qint64(snapped[i]) * OneFrame;
            const qint64 own = std::abs(at - song.onsets[size_t(i)]);
            close += own <= OneFrame ? 1 : 0;
            for (size_t other = 0; other < song.onsets.size(); ++other)
                QVERIFY2(other == size_t(i) || std::abs(at - song.onsets[other]) > own,
                         qPrintable(QStringLiteral("piece %1 is on note %2").arg(i).arg(other)));
            if (i > 0)
                QVERIFY(snapped[i] >= snapped[i - 1]);
        }
        qInfo("%d of %lld pieces within a frame of their note", close, qlonglong(snapped.size()));
        QVERIFY(close >= 0.95 * double(snapped.size()));
    }

    // One onset a line, M:SS:FF then milliseconds, at the notes.
    void listsOnsets()
    {
        QTemporaryDir dir;
        const GeneratedSong song = GeneratedMusic::drums(3, 16);
        QVERIFY(GeneratedMusic::writeWav(song, dir.filePath(QStringLiteral("d.wav"))));
        const Run run = runTool(dir, {"onsets", "d.wav", "--threshold", "0.5"});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        QCOMPARE(lines.size(), qsizetype(song.onsets.size()));
        static const QRegularExpression Line(QStringLiteral("^(\\d+):(\\d\\d):(\\d\\d)\\t(\\d+)$"));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QRegularExpressionMatch match = Line.match(QString::fromLatin1(lines[i]));
            QVERIFY2(match.hasMatch(), lines[i].constData());
            const int frame =
                (match.captured(1).toInt() * 60 + match.captured(2).toInt()) * 75 + match.captured(3).toInt();
            const qint64 ms = match.captured(4).toLongLong();
            QVERIFY(std::abs(ms * 441 / 10 - song.onsets[size_t(i)]) <= OneFrame);
            QVERIFY(std::abs(frame * 1000 / 75 - ms) <= 7);
        }
    }

    void refusesBadUse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("onsets without a file") << QStringList{"onsets"} << 2;
        QTest::newRow("onsets of a missing file") << QStringList{"onsets", "none.wav"} << 1;
        QTest::newRow("onsets past the last track") << QStringList{"onsets", "s.wav", "--track", "2"} << 1;
        QTest::newRow("unknown method") << QStringList{"onsets", "s.wav", "--method", "loud"} << 1;
        QTest::newRow("threshold not a number") << QStringList{"onsets", "s.wav", "--threshold", "x"} << 2;
        QTest::newRow("snap with both sources")
            << QStringList{"snap",  "t.dwd",   "--audio", "s.wav", "--disc",
                           "s.wav", "--track", "1",       "-o",    "o.dwd"}
            << 2;
        QTest::newRow("snap from a disc without a track")
            << QStringList{"snap", "t.dwd", "--disc", "s.wav", "-o", "o.dwd"} << 2;
        QTest::newRow("snap without -o") << QStringList{"snap", "t.dwd", "--audio", "s.wav"} << 2;
        QTest::newRow("snap of a file that is no DWD")
            << QStringList{"snap", "s.wav", "--audio", "s.wav", "-o", "o.dwd"} << 1;
    }
    void refusesBadUse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        QVERIFY(GeneratedMusic::writeWav(GeneratedMusic::tones(1, 1), dir.filePath(QStringLiteral("s.wav"))));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("t.dwd")), dwdAt({10, 20})));
        QCOMPARE(runTool(dir, arguments).exitCode, exitCode);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("o.dwd"))));
    }
};

QTEST_GUILESS_MAIN(OnsetCommandsTest)
#include "tst_OnsetCommands.moc"
