#include "lyrics/format/CaptureFile.h"
#include "lyrics/format/CaptureStorage.h"
#include "lyrics/format/DwdCapture.h"
#include "lyrics/format/DwdReader.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(DwdCapture::Start)

namespace {
// A working file and an output in memory. Operation number failAt (counted
// from 1 over create, writeAt, truncate and commit) fails, like a full disk.
class MemoryStorage final : public CaptureStorage {
public:
    bool create(const QString&) override
    {
        if (fails())
            return false;
        exists = true;
        working.clear();
        return true;
    }
    bool writeAt(qint64 offset, QByteArrayView bytes) override
    {
        if (!exists || fails())
            return false;
        if (working.size() < offset + bytes.size())
            working.resize(offset + bytes.size());
        working.replace(offset, bytes.size(), bytes.toByteArray());
        return true;
    }
    bool truncate(qint64 size) override
    {
        if (!exists || fails())
            return false;
        working.truncate(size);
        return true;
    }
    bool commit() override
    {
        if (!exists || fails())
            return false;
        output = working;
        exists = false;
        return true;
    }
    void discard() override
    {
        exists = false;
        working.clear();
    }
    QString workingName() const override { return exists ? QStringLiteral("working") : QString(); }

    bool fails() { return ++operations == failAt; }

    QByteArray output;
    QByteArray working;
    bool exists = false;
    int operations = 0;
    int failAt = 0;
};

// What the player makes of the bytes: refused, or the number of pieces.
int piecesPlayed(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    if (DwdReader::checkFile(buffer) != DwdReader::FileCheck::Valid)
        return -1;
    int pieces = 0;
    while (DwdReader::readRecord(buffer).complete())
        ++pieces;
    return pieces;
}

TrackPosition second(int n)
{
    return TrackPosition{0, qint16(n), 0};
}

const QByteArray Previous = "DWD\0\0\0\0\x0b\0\0\0";
} // namespace

class tst_DwdCapture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // After every press the working file is a whole DWD file of the pieces
    // timed so far, and the output is the one from before until the end.
    void everyPressLeavesAPlayableFile()
    {
        MemoryStorage storage;
        storage.output = "previous take";
        DwdCapture capture(storage);
        capture.setScript("[/clear]ab\r\ncd");
        QCOMPARE(capture.begin(QStringLiteral("song.dwd")), DwdCapture::Start::Started);
        QCOMPARE(piecesPlayed(storage.working), 0);
        qint32 lineBreaks = 0;
        for (int n = 1; n <= 4; ++n) {
            QCOMPARE(capture.press(second(n), lineBreaks).outcome, DwdCapture::Outcome::Written);
            QCOMPARE(piecesPlayed(storage.working), n);
            QCOMPARE(storage.output, QByteArray("previous take"));
        }
        const QByteArray working = storage.working;
        QVERIFY(capture.finish());
        QCOMPARE(storage.output, working);
        QVERIFY(!storage.exists);
    }

    // A failure anywhere leaves the output as it was; only a failed commit
    // keeps the working file, which then holds every piece timed.
    void failuresNeverTouchTheOutput_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<DwdCapture::Start>("start");
        QTest::addColumn<int>("timed"); // presses written before the failure
        QTest::addColumn<bool>("workingKept");
        // Operations: 1 create, 2 header, then two writes per press (record,
        // size), then the size again and the commit at the end.
        QTest::newRow("working file cannot be created") << 1 << DwdCapture::Start::OpenFailed << 0 << false;
        QTest::newRow("header cannot be written") << 2 << DwdCapture::Start::HeaderFailed << 0 << false;
        QTest::newRow("first record cannot be written") << 3 << DwdCapture::Start::Started << 0 << false;
        QTest::newRow("size after the second record fails") << 6 << DwdCapture::Start::Started << 1 << false;
        QTest::newRow("size at the end fails") << 9 << DwdCapture::Start::Started << 3 << true;
        QTest::newRow("the file cannot take the output's place")
            << 10 << DwdCapture::Start::Started << 3 << true;
    }
    void failuresNeverTouchTheOutput()
    {
        QFETCH(int, failAt);
        QFETCH(DwdCapture::Start, start);
        QFETCH(int, timed);
        QFETCH(bool, workingKept);
        MemoryStorage storage;
        storage.output = Previous;
        storage.failAt = failAt;
        DwdCapture capture(storage);
        capture.setScript("abc");
        QCOMPARE(capture.begin(QStringLiteral("song.dwd")), start);
        if (start != DwdCapture::Start::Started) {
            QVERIFY(!storage.exists);
            QVERIFY(!capture.running());
            QCOMPARE(storage.output, Previous);
            return;
        }
        qint32 lineBreaks = 0;
        bool failed = false;
        for (int n = 1; n <= 3 && !failed; ++n)
            failed = capture.press(second(n), lineBreaks).outcome == DwdCapture::Outcome::WriteFailed;
        if (failed)
            capture.abandon();
        else
            QVERIFY(!capture.finish());
        QCOMPARE(storage.output, Previous);
        QCOMPARE(storage.exists, workingKept);
        if (workingKept)
            QCOMPARE(piecesPlayed(storage.working), timed);
        QVERIFY(!capture.running());
    }

    // A syntax error writes nothing; abandoning removes the working file.
    void syntaxErrorLeavesTheOutput()
    {
        MemoryStorage storage;
        storage.output = Previous;
        DwdCapture capture(storage);
        capture.setScript("a[/nothing]c");
        QCOMPARE(capture.begin(QStringLiteral("song.dwd")), DwdCapture::Start::Started);
        qint32 lineBreaks = 0;
        QCOMPARE(capture.press(second(1), lineBreaks).outcome, DwdCapture::Outcome::Written);
        const DwdCapture::Press bad = capture.press(second(2), lineBreaks);
        QCOMPARE(bad.outcome, DwdCapture::Outcome::SyntaxError);
        QCOMPARE(bad.error, ScriptReader::unknownCommandMessage());
        QCOMPARE(piecesPlayed(storage.working), 1);
        capture.abandon();
        QVERIFY(!storage.exists);
        QCOMPARE(storage.output, Previous);
    }

    // Taking a press back and pressing again gives the file of a clean take.
    void undoGivesTheCleanTake_data()
    {
        QTest::addColumn<QString>("taps"); // digits: a press at that second; "<": undo
        QTest::addColumn<QString>("clean");
        QTest::newRow("the first piece") << "1<2345"
                                         << "2345";
        QTest::newRow("in the middle") << "129<345"
                                       << "12345";
        QTest::newRow("two back") << "1234<<345"
                                  << "12345";
        QTest::newRow("after the last piece") << "12349<5"
                                              << "12345";
        QTest::newRow("back to nothing, and more") << "12<<<<12345"
                                                   << "12345";
        QTest::newRow("across a line break") << "1239<<345"
                                             << "12345";
    }
    void undoGivesTheCleanTake()
    {
        QFETCH(QString, taps);
        QFETCH(QString, clean);
        auto take = [](const QString& keys) {
            MemoryStorage storage;
            DwdCapture capture(storage);
            capture.setScript("[/fontsize(20)]ab\r\ncde");
            capture.begin(QStringLiteral("song.dwd"));
            qint32 lineBreaks = 0;
            for (const QChar key : keys) {
                if (key == QLatin1Char('<'))
                    capture.undo();
                else
                    capture.press(second(key.digitValue()), lineBreaks);
                if (piecesPlayed(storage.working) != capture.pieceCount())
                    return QByteArray("not playable after ") + keys.toLatin1();
            }
            capture.finish();
            return storage.output;
        };
        QCOMPARE(take(taps).toHex(' '), take(clean).toHex(' '));
    }

    // An undo whose file cannot be cut back changes nothing.
    void failedUndoChangesNothing()
    {
        MemoryStorage storage;
        DwdCapture capture(storage);
        capture.setScript("abc");
        capture.begin(QStringLiteral("song.dwd"));
        qint32 lineBreaks = 0;
        capture.press(second(1), lineBreaks);
        capture.press(second(2), lineBreaks);
        const QByteArray before = storage.working;
        storage.failAt = storage.operations + 2; // the truncation after the size
        QVERIFY(!capture.undo());
        QCOMPARE(storage.working, before);
        QCOMPARE(capture.pieceCount(), 2);
        QCOMPARE(capture.press(second(3), lineBreaks).pieceText, QByteArray("c"));
    }

    // A capture killed with SIGKILL after n presses leaves its working file
    // beside the output, which the player plays with n pieces.
    void killedCaptureLeavesAPlayableFile_data()
    {
        QTest::addColumn<int>("presses");
        QTest::newRow("before the first press") << 0;
        QTest::newRow("after one press") << 1;
        QTest::newRow("after seven presses") << 7;
    }
    void killedCaptureLeavesAPlayableFile()
    {
        QFETCH(int, presses);
        QTemporaryDir dir;
        const QString output = dir.filePath("song.dwd");
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            CaptureFile file;
            DwdCapture capture(file);
            capture.setScript("[/clear]abc\r\ndefgh\r\nij");
            capture.begin(output);
            qint32 lineBreaks = 0;
            for (int n = 1; n <= presses; ++n)
                capture.press(second(n), lineBreaks);
            ::kill(::getpid(), SIGKILL);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QVERIFY(!QFile::exists(output));
        QFile left(CaptureFile::workingNameFor(output));
        QVERIFY(left.open(QIODevice::ReadOnly));
        QCOMPARE(piecesPlayed(left.readAll()), presses);
    }

    // What End replaces on disk: a regular file (through a link to one, the
    // link kept), with the old file's access rights; anything else is refused
    // before a take starts.
    void outputsOnDisk_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("started");
        QTest::newRow("no file yet") << "none" << true;
        QTest::newRow("a read-only file") << "read-only" << true;
        QTest::newRow("a link to a file") << "link" << true;
        QTest::newRow("a folder") << "folder" << false;
        QTest::newRow("a named pipe") << "fifo" << false;
        QTest::newRow("a link to a device") << "device" << false;
    }
    void outputsOnDisk()
    {
        QFETCH(QString, kind);
        QFETCH(bool, started);
        QTemporaryDir dir;
        const QString output = dir.filePath("song.dwd");
        const QString real = dir.filePath("real.dwd");
        if (kind == QLatin1String("read-only") || kind == QLatin1String("link")) {
            QFile old(kind == QLatin1String("link") ? real : output);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
            old.close();
            QVERIFY(old.setPermissions(QFile::ReadOwner | QFile::ReadGroup));
        }
        if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(real, output));
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("song.dwd")));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(output).constData(), 0600), 0);
        if (kind == QLatin1String("device"))
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), output));
        CaptureFile file;
        DwdCapture capture(file);
        capture.setScript("a");
        QCOMPARE(capture.begin(output) == DwdCapture::Start::Started, started);
        if (!started) {
            QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.capture*")}), QStringList());
            return;
        }
        qint32 lineBreaks = 0;
        capture.press(second(1), lineBreaks);
        QVERIFY(capture.finish());
        const QString replaced = kind == QLatin1String("link") ? real : output;
        QFile result(replaced);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(piecesPlayed(result.readAll()), 1);
        if (kind == QLatin1String("link"))
            QCOMPARE(QFileInfo(output).symLinkTarget(), real);
        if (kind != QLatin1String("none"))
            QCOMPARE(QFile::permissions(replaced) &
                         QFileDevice::Permissions(0x7077), // without the user's flags
                     QFile::ReadOwner | QFile::ReadGroup);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.capture*")}), QStringList());
    }

    // A working file left by a killed capture is never overwritten by the next one.
    void leftWorkingFilesAreKept()
    {
        QTemporaryDir dir;
        const QString output = dir.filePath("song.dwd");
        QCOMPARE(CaptureFile::workingNameFor(output), dir.filePath("song.capture.dwd"));
        QCOMPARE(CaptureFile::workingNameFor(output, 2), dir.filePath("song.capture2.dwd"));
        QFile left(CaptureFile::workingNameFor(output));
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.write("the take a crash left");
        left.close();
        CaptureFile file;
        QVERIFY(file.create(output));
        QCOMPARE(file.workingName(), dir.filePath("song.capture2.dwd"));
        file.discard();
        QVERIFY(left.open(QIODevice::ReadOnly));
        QCOMPARE(left.readAll(), QByteArray("the take a crash left"));
        QVERIFY(!QFile::exists(dir.filePath("song.capture2.dwd")));
    }
};

QTEST_GUILESS_MAIN(tst_DwdCapture)
#include "tst_DwdCapture.moc"
