#include "lyrics/format/CaptureFile.h"
#include "lyrics/format/DwdCapture.h"
#include "lyrics/format/DwdReader.h"
#include "lyrics/format/DwdRecordSpans.h"
#include "lyrics/format/DwdRepair.h"
#include "lyrics/format/DwdTimeShift.h"
#include "lyrics/format/DwdWriter.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TrackPosition)
Q_DECLARE_METATYPE(DwdReader::FileCheck)
Q_DECLARE_METATYPE(DwdReader::RecordEnd)

namespace {
QByteArray fortyBytes()
{
    return QByteArray::fromHex(QByteArray("445744 00000000 28000000"
                                          "000001000000 01 021400 02000000 82a0"
                                          "000001003200 00 02000000 82a2")
                                   .replace(' ', ""));
}

QString show(const TrackPosition& p)
{
    return QStringLiteral("%1:%2:%3").arg(p.minutes).arg(p.seconds).arg(p.frames);
}

// Reads records until one is not complete, that one included.
QList<DwdReader::Record> readRecords(QIODevice& file)
{
    QList<DwdReader::Record> records;
    for (;;) {
        records << DwdReader::readRecord(file);
        if (!records.last().complete()) {
            return records;
        }
    }
}

// A DWD file of one record per piece, at the given frames from the start of
// the track; a piece whose text starts with "!" also carries a "clear".
QByteArray dwdFile(const QList<int>& frames, const QByteArrayList& texts)
{
    QByteArray records;
    int previous = 0;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        QByteArray text = texts.value(i);
        const bool clears = text.startsWith('!');
        if (clears)
            text.remove(0, 1);
        const QByteArray commands = clears ? QByteArray("\x01\x06", 2) : QByteArray(1, '\0');
        records += DwdWriter::recordBytes(text, commands,
                                          TrackPosition::timeDelta(TrackPosition::fromFrames(frames[i]),
                                                                   TrackPosition::fromFrames(previous)));
        previous = frames[i];
    }
    return DwdWriter::headerBytes(quint32(DwdWriter::HeaderSize + records.size())) + records;
}

// Each whole record's time from the start of the track, in frames.
QList<int> recordTimes(const QByteArray& file)
{
    QList<int> times;
    TrackPosition time;
    for (const DwdRecordSpan& span : DwdRecordSpans::wholeRecords(file)) {
        TrackPosition::addDelta(time, span.record.delta);
        times << time.totalFrames();
    }
    return times;
}

// Everything of each whole record but its delta: commands and text.
QByteArrayList recordBodies(const QByteArray& file)
{
    QByteArrayList bodies;
    for (const DwdRecordSpan& span : DwdRecordSpans::wholeRecords(file))
        bodies << file.mid(span.start + 6, span.end - span.start - 6);
    return bodies;
}

constexpr int Second = 75;
constexpr int Minute = 60 * Second;
} // namespace

class tst_DwdFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void captureWritesTheFortyByteFile()
    {
        QTemporaryDir dir;
        CaptureFile file;
        DwdCapture capture(file);
        capture.setScript("[/fontsize(20)]\x82\xa0\x82\xa2");
        QCOMPARE(capture.begin(dir.filePath("song.dwd")), DwdCapture::Start::Started);
        qint32 lineBreaks = 0;
        QCOMPARE(capture.press({0, 1, 0}, lineBreaks).outcome, DwdCapture::Outcome::Written);
        const DwdCapture::Press last = capture.press({0, 2, 50}, lineBreaks);
        QCOMPARE(last.outcome, DwdCapture::Outcome::Written);
        QVERIFY(last.endOfScript);
        // Presses after the end write nothing.
        QCOMPARE(capture.press({0, 3, 0}, lineBreaks).outcome, DwdCapture::Outcome::AfterEnd);
        QCOMPARE(QFileInfo(dir.filePath("song.capture.dwd")).size(), 40);
        QVERIFY(capture.finish());
        QVERIFY(!QFile::exists(dir.filePath("song.capture.dwd")));
        QFile written(dir.filePath("song.dwd"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().toHex(' '), fortyBytes().toHex(' '));
    }

    void timeDelta_data()
    {
        QTest::addColumn<TrackPosition>("previous");
        QTest::addColumn<TrackPosition>("current");
        QTest::addColumn<TrackPosition>("delta");
        QTest::newRow("first press from the start")
            << TrackPosition{} << TrackPosition{0, 1, 0} << TrackPosition{0, 1, 0};
        QTest::newRow("frames borrow from a second")
            << TrackPosition{0, 10, 70} << TrackPosition{0, 11, 32} << TrackPosition{0, 0, 37};
        QTest::newRow("seconds borrow from a minute")
            << TrackPosition{1, 59, 20} << TrackPosition{2, 0, 10} << TrackPosition{0, 0, 65};
        QTest::newRow("both borrow across a minute")
            << TrackPosition{0, 59, 74} << TrackPosition{1, 0, 0} << TrackPosition{0, 0, 1};
        QTest::newRow("position went backwards gives negative minutes")
            << TrackPosition{1, 10, 0} << TrackPosition{1, 5, 0} << TrackPosition{-1, 55, 0};
        QTest::newRow("same position") << TrackPosition{3, 3, 3} << TrackPosition{3, 3, 3} << TrackPosition{};
    }

    void timeDelta()
    {
        QFETCH(TrackPosition, previous);
        QFETCH(TrackPosition, current);
        QFETCH(TrackPosition, delta);
        const TrackPosition got = TrackPosition::timeDelta(current, previous);
        QCOMPARE(show(got), show(delta));

        // Written and read back, the delta brings the running time to current.
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        QVERIFY(DwdWriter::writeRecord(buffer, "x", QByteArray(1, '\0'), got));
        buffer.seek(0);
        const DwdReader::Record record = DwdReader::readRecord(buffer);
        QVERIFY(record.complete());
        TrackPosition time = previous;
        TrackPosition::addDelta(time, record.delta);
        QCOMPARE(show(time), show(current));
    }

    void runningTime_data()
    {
        QTest::addColumn<TrackPosition>("time");
        QTest::addColumn<TrackPosition>("delta");
        QTest::addColumn<TrackPosition>("expected");
        QTest::newRow("frames carry into seconds")
            << TrackPosition{0, 10, 70} << TrackPosition{0, 0, 74} << TrackPosition{0, 11, 69};
        QTest::newRow("seconds carry into minutes")
            << TrackPosition{0, 59, 74} << TrackPosition{0, 0, 1} << TrackPosition{1, 0, 0};
        QTest::newRow("negative minutes move back")
            << TrackPosition{1, 10, 0} << TrackPosition{-1, 55, 0} << TrackPosition{1, 5, 0};
    }

    void runningTime()
    {
        QFETCH(TrackPosition, time);
        QFETCH(TrackPosition, delta);
        QFETCH(TrackPosition, expected);
        TrackPosition::addDelta(time, delta);
        QCOMPARE(show(time), show(expected));
    }

    void fileCheck_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<DwdReader::FileCheck>("check");
        QTest::newRow("the forty-byte file") << fortyBytes() << DwdReader::FileCheck::Valid;
        QTest::newRow("header only") << QByteArray::fromHex("445744000000000b000000")
                                     << DwdReader::FileCheck::Valid;
        QTest::newRow("shorter than a header")
            << QByteArray::fromHex("445744000000000b0000") << DwdReader::FileCheck::HeaderUnreadable;
        QTest::newRow("empty file") << QByteArray() << DwdReader::FileCheck::HeaderUnreadable;
        QTest::newRow("wrong signature")
            << QByteArray::fromHex("445758000000000b000000") << DwdReader::FileCheck::BadSignature;
        QTest::newRow("unfinished capture")
            << fortyBytes().replace(7, 1, "\x07") << DwdReader::FileCheck::SizeMismatch;
        QTest::newRow("size one byte off")
            << fortyBytes().replace(7, 1, "\x29") << DwdReader::FileCheck::SizeMismatch;
    }

    void fileCheck()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(DwdReader::FileCheck, check);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QCOMPARE(DwdReader::checkFile(buffer), check);
        if (check == DwdReader::FileCheck::Valid) {
            QCOMPARE(buffer.pos(), 11);
        }
    }

    void checkMessages()
    {
        QCOMPARE(DwdReader::checkMessage(DwdReader::FileCheck::SizeMismatch),
                 QStringLiteral("このDWDファイルは壊れています。\n（ファイルサイズの不一致）"));
        QCOMPARE(DwdReader::checkMessage(DwdReader::FileCheck::HeaderUnreadable),
                 QStringLiteral("ヘッダを読み込めません。"));
    }

    void cutShort_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("complete");
        QTest::addColumn<DwdReader::RecordEnd>("end");
        QTest::addColumn<int>("commands");
        QTest::newRow("no records") << 11 << 0 << DwdReader::RecordEnd::InTimeDelta << 0;
        QTest::newRow("inside the delta") << 14 << 0 << DwdReader::RecordEnd::InTimeDelta << 0;
        QTest::newRow("at the count byte") << 17 << 0 << DwdReader::RecordEnd::AtCommandCount << 0;
        QTest::newRow("at a command code") << 18 << 0 << DwdReader::RecordEnd::AtCommandCode << 0;
        QTest::newRow("before the arguments") << 19 << 0 << DwdReader::RecordEnd::InCommandArguments << 1;
        QTest::newRow("inside an argument") << 20 << 0 << DwdReader::RecordEnd::InCommandArguments << 1;
        QTest::newRow("at the text length") << 21 << 0 << DwdReader::RecordEnd::AtTextLength << 1;
        QTest::newRow("inside the text length") << 23 << 0 << DwdReader::RecordEnd::AtTextLength << 1;
        QTest::newRow("inside the text") << 26 << 0 << DwdReader::RecordEnd::InText << 1;
        QTest::newRow("second record at its count") << 33 << 1 << DwdReader::RecordEnd::AtCommandCount << 0;
        QTest::newRow("second record at its length") << 34 << 1 << DwdReader::RecordEnd::AtTextLength << 0;
        QTest::newRow("second record before its text") << 38 << 1 << DwdReader::RecordEnd::InText << 0;
        QTest::newRow("whole file") << 40 << 2 << DwdReader::RecordEnd::InTimeDelta << 0;
    }

    void cutShort()
    {
        QFETCH(int, length);
        QFETCH(int, complete);
        QFETCH(DwdReader::RecordEnd, end);
        QFETCH(int, commands);
        QByteArray bytes = fortyBytes().left(length);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(11);
        const QList<DwdReader::Record> records = readRecords(buffer);
        QCOMPARE(records.size(), complete + 1);
        QCOMPARE(records.last().end, end);
        QCOMPARE(records.last().commands.size(), commands);
        if (end == DwdReader::RecordEnd::InCommandArguments) {
            QVERIFY(!records.last().commands.last().complete);
            QCOMPARE(records.last().commands.last().args[0], 0);
        }
        if (complete > 0) {
            QCOMPARE(records[0].commands.first().args[0], 20);
            QCOMPARE(records[0].text, QByteArray("\x82\xa0"));
        }
    }

    void oddRecords_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<DwdReader::RecordEnd>("end");
        QTest::addColumn<int>("commands");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("text length past the end of the file")
            << QByteArray::fromHex("000000000100 00 ffffff7f 6162") << DwdReader::RecordEnd::InText << 0
            << QByteArray();
        QTest::newRow("negative text length is an empty piece")
            << QByteArray::fromHex("000000000100 00 feffffff") << DwdReader::RecordEnd::Complete << 0
            << QByteArray();
        QTest::newRow("empty record is eleven bytes") << QByteArray::fromHex("000000000100 00 00000000")
                                                      << DwdReader::RecordEnd::Complete << 0 << QByteArray();
        QTest::newRow("count of 128 or more reads no commands")
            << QByteArray::fromHex("000000000100 80 01000000 71") << DwdReader::RecordEnd::Complete << 0
            << QByteArray("q");
        QTest::newRow("code above 8 takes no arguments")
            << QByteArray::fromHex("000000000100 02 09 06 01000000 71") << DwdReader::RecordEnd::Complete << 2
            << QByteArray("q");
    }

    void oddRecords()
    {
        QFETCH(QByteArray, record);
        QFETCH(DwdReader::RecordEnd, end);
        QFETCH(int, commands);
        QFETCH(QByteArray, text);
        QBuffer buffer(&record);
        buffer.open(QIODevice::ReadOnly);
        const DwdReader::Record read = DwdReader::readRecord(buffer);
        QCOMPARE(read.end, end);
        QCOMPARE(read.commands.size(), commands);
        QCOMPARE(read.text, text);
        if (end == DwdReader::RecordEnd::Complete) {
            QCOMPARE(buffer.pos(), buffer.size());
        }
    }

    void writesFailOnAReadOnlyDevice()
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadOnly);
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
        QVERIFY(!DwdWriter::writeHeader(buffer));
        QVERIFY(!DwdWriter::writeRecord(buffer, "a", QByteArray(1, '\0'), {}));
    }

    // A file cut anywhere keeps every whole record, under a header whose size
    // is set right whatever the old one said.
    void repairKeepsTheWholeRecords_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        QTest::addColumn<QByteArray>("repaired");
        QTest::addColumn<int>("keptRecords");
        QTest::addColumn<int>("droppedBytes");
        const QByteArray whole = dwdFile({Second, 2 * Second}, {"!\x82\xa0", "b"});
        const QByteArray first = dwdFile({Second}, {"!\x82\xa0"});
        const QByteArray none = DwdWriter::headerBytes(DwdWriter::HeaderSize);
        QByteArray wrongSize = whole;
        wrongSize[7] = '\x7f';
        QTest::newRow("whole file") << whole << whole << 2 << 0;
        QTest::newRow("header's size wrong") << wrongSize << whole << 2 << 0;
        QTest::newRow("cut inside the last text")
            << whole.chopped(1) << first << 1 << int(whole.size() - first.size() - 1);
        QTest::newRow("cut inside the last delta") << first + QByteArray(3, '\0') << first << 1 << 3;
        QTest::newRow("first record cut") << whole.left(DwdWriter::HeaderSize + 8) << none << 0 << 8;
        QTest::newRow("header only") << none << none << 0 << 0;
        QTest::newRow("cut inside the header") << whole.left(9) << none << 0 << 0;
        QTest::newRow("cut inside the signature") << QByteArray("DW") << none << 0 << 0;
    }

    void repairKeepsTheWholeRecords()
    {
        QFETCH(QByteArray, damaged);
        QFETCH(QByteArray, repaired);
        QFETCH(int, keptRecords);
        QFETCH(int, droppedBytes);
        const DwdRepair::Result result = DwdRepair::repair(damaged);
        const auto* made = std::get_if<DwdRepair::Repaired>(&result);
        QVERIFY(made);
        QCOMPARE(made->bytes.toHex(' '), repaired.toHex(' '));
        QCOMPARE(made->keptRecords, keptRecords);
        QCOMPARE(made->droppedBytes, droppedBytes);
        // What repair makes, the player plays.
        QByteArray played = made->bytes;
        QBuffer buffer(&played);
        buffer.open(QIODevice::ReadOnly);
        QCOMPARE(DwdReader::checkFile(buffer), DwdReader::FileCheck::Valid);
    }

    void repairRefusesOtherFiles()
    {
        const DwdRepair::Result result = DwdRepair::repair("RIFF\0\0\0\0WAVE");
        QVERIFY(std::holds_alternative<DwdRepair::Refusal>(result));
        QCOMPARE(std::get<DwdRepair::Refusal>(result), DwdRepair::Refusal::NotDwd);
    }

    void shiftRoundsToTheNearestFrame_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("frames");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("under half a frame") << 6 << 0;
        QTest::newRow("over half a frame") << 7 << 1;
        QTest::newRow("under half a frame earlier") << -6 << 0;
        QTest::newRow("over half a frame earlier") << -7 << -1;
        QTest::newRow("one second") << 1000 << 75;
        QTest::newRow("one second earlier") << -1000 << -75;
        QTest::newRow("largest the tool takes") << 999999999 << 75000000;
    }

    void shiftRoundsToTheNearestFrame()
    {
        QFETCH(int, ms);
        QFETCH(int, frames);
        QCOMPARE(DwdTimeShift::framesForMilliseconds(ms), qint64(frames));
    }

    // Every piece moves by the same frames, its commands and text untouched;
    // silent pieces that would move before the start wait at 0:00:00.
    void shiftMovesEveryPiece_data()
    {
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<QByteArrayList>("texts");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QList<int>>("shifted");
        QTest::newRow("later") << QList<int>{Second, 2 * Second + 50} << QByteArrayList{"a", "b"} << Second
                               << QList<int>{2 * Second, 3 * Second + 50};
        QTest::newRow("earlier across a minute")
            << QList<int>{Minute + 10, Minute + 20} << QByteArrayList{"a", "!b"} << -20
            << QList<int>{Minute - 10, Minute};
        QTest::newRow("to the very start")
            << QList<int>{Second} << QByteArrayList{"a"} << -Second << QList<int>{0};
        QTest::newRow("silent pieces wait at the start")
            << QList<int>{10, 20, Second} << QByteArrayList{"!", " \r\n", "a"} << -38
            << QList<int>{0, 0, Second - 38};
        QTest::newRow("up to the latest time")
            << QList<int>{Second} << QByteArrayList{"a"} << 32767 * Minute + 59 * Second + 74 - Second
            << QList<int>{32767 * Minute + 59 * Second + 74};
        QTest::newRow("no pieces") << QList<int>{} << QByteArrayList{} << Second << QList<int>{};
    }

    void shiftMovesEveryPiece()
    {
        QFETCH(QList<int>, times);
        QFETCH(QByteArrayList, texts);
        QFETCH(int, frames);
        QFETCH(QList<int>, shifted);
        const QByteArray file = dwdFile(times, texts);
        const DwdTimeShift::Result result = DwdTimeShift::shift(file, frames);
        const auto* moved = std::get_if<QByteArray>(&result);
        QVERIFY(moved);
        QCOMPARE(moved->size(), file.size());
        QCOMPARE(moved->left(DwdWriter::HeaderSize), file.left(DwdWriter::HeaderSize));
        QCOMPARE(recordTimes(*moved), shifted);
        QCOMPARE(recordBodies(*moved), recordBodies(file));
    }

    void shiftKeepsWhatFollowsTheLastRecord()
    {
        const QByteArray tail("\0\0\x01", 3);
        const DwdTimeShift::Result result = DwdTimeShift::shift(dwdFile({Second}, {"a"}) + tail, Second);
        QVERIFY(std::holds_alternative<QByteArray>(result));
        QVERIFY(std::get<QByteArray>(result).endsWith(tail));
        QCOMPARE(recordTimes(std::get<QByteArray>(result)), QList<int>{2 * Second});
    }

    // A sung piece never moves out of the track: the whole shift is refused,
    // naming the first piece that would.
    void shiftRefusesToMoveSungPiecesOut_data()
    {
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<QByteArrayList>("texts");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("piece");
        QTest::addColumn<int>("time");
        QTest::newRow("sung piece before the start")
            << QList<int>{5, 10} << QByteArrayList{"!", "a"} << -Second
            << int(DwdTimeShift::Refusal::Reason::TextBeforeStart) << 2 << 10;
        QTest::newRow("past the latest minute")
            << QList<int>{Second, 32767 * Minute} << QByteArrayList{"a", "b"} << Minute
            << int(DwdTimeShift::Refusal::Reason::PastLatestTime) << 2 << 32767 * Minute;
    }

    void shiftRefusesToMoveSungPiecesOut()
    {
        QFETCH(QList<int>, times);
        QFETCH(QByteArrayList, texts);
        QFETCH(int, frames);
        QFETCH(int, reason);
        QFETCH(int, piece);
        QFETCH(int, time);
        const DwdTimeShift::Result result = DwdTimeShift::shift(dwdFile(times, texts), frames);
        const auto* refusal = std::get_if<DwdTimeShift::Refusal>(&result);
        QVERIFY(refusal);
        QCOMPARE(int(refusal->reason), reason);
        QCOMPARE(refusal->piece, piece);
        QCOMPARE(refusal->time.totalFrames(), time);
        QCOMPARE(refusal->text, texts.value(piece - 1));
    }
};

QTEST_GUILESS_MAIN(tst_DwdFile)
#include "tst_DwdFile.moc"
