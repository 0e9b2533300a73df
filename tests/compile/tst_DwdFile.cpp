#include "compile/CaptureFile.h"
#include "compile/DwdCapture.h"
#include "compile/DwdWriter.h"
#include "core/DwdReader.h"

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
};

QTEST_GUILESS_MAIN(tst_DwdFile)
#include "tst_DwdFile.moc"
