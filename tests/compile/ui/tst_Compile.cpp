#include "CaptureRig.h"
#include "compile/TapLatencyStore.h"
#include "core/SettingsKeys.h"
#include "lyrics/format/CaptureFile.h"
#include "lyrics/format/DwdCapture.h"
#include "lyrics/format/DwdReader.h"
#include "platform/cdaudio/ManualSink.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(TrackPosition)

namespace {
namespace Names = CompileWindowObjectNames;
namespace TapNames = TapCalibrationObjectNames;

TrackPosition at(int minutes, int seconds, int frames)
{
    return TrackPosition{qint16(minutes), qint16(seconds), qint16(frames)};
}

QString show(const TrackPosition& p)
{
    return QStringLiteral("%1:%2:%3").arg(p.minutes).arg(p.seconds).arg(p.frames);
}

bool writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The records of a file from offset 11, whatever its header says.
QList<DwdReader::Record> records(const QString& name)
{
    QFile file(name);
    QList<DwdReader::Record> list;
    if (!file.open(QIODevice::ReadOnly) || !file.seek(11))
        return list;
    for (DwdReader::Record r = DwdReader::readRecord(file); r.complete(); r = DwdReader::readRecord(file))
        list << r;
    return list;
}

DwdReader::FileCheck check(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return DwdReader::FileCheck::HeaderUnreadable;
    return DwdReader::checkFile(file);
}

// Points the descriptor that has `name` open at /dev/full: every later write
// to it fails as on a full disk.
bool fillUpDisk(const QString& name)
{
    const QString target = QFileInfo(name).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& entry : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        if (QFileInfo(fds.filePath(entry)).symLinkTarget() != target)
            continue;
        const int full = ::open("/dev/full", O_WRONLY);
        const bool done = full >= 0 && ::dup2(full, entry.toInt()) >= 0;
        ::close(full);
        return done;
    }
    return false;
}

const QByteArray Aiu = "\x82\xa0\x82\xa2\r\n\x82\xa4"; // あい CR LF う
} // namespace

class tst_Compile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString script(const QByteArray& text, const QString& name = QStringLiteral("song.txt"))
    {
        const QString path = dir.filePath(name);
        return writeFile(path, text) ? path : QString();
    }

private Q_SLOTS:
    void init()
    {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
    }

    void makeOutputFileName_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("output");
        QTest::newRow("extension replaced") << "/songs/song.txt"
                                            << "/songs/song.dwd";
        QTest::newRow("cut at the first dot of the file name") << "/songs/song.live.txt"
                                                               << "/songs/song.dwd";
        QTest::newRow("dots in folders do not count") << "/my.songs/song"
                                                      << "/my.songs/song.dwd";
        QTest::newRow("no dot: appended") << "/songs/song"
                                          << "/songs/song.dwd";
        QTest::newRow("hidden file keeps its leading dot") << "/songs/.song.txt"
                                                           << "/songs/.song.dwd";
        QTest::newRow("hidden file without extension") << "/songs/.song"
                                                       << "/songs/.song.dwd";
        QTest::newRow("relative name") << "song.txt"
                                       << "song.dwd";
        QTest::newRow("Japanese names") << "/歌詞/春の歌.txt"
                                        << "/歌詞/春の歌.dwd";
        QTest::newRow("empty path names no file") << ""
                                                  << "";
        QTest::newRow("folder path names no file") << "/songs/"
                                                   << "";
        QTest::newRow("a script named .dwd is not overwritten") << "/songs/a.dwd"
                                                                << "/songs/a.dwd.dwd";
        QTest::newRow("nor one named .DWD") << "/songs/a.DWD"
                                            << "/songs/a.DWD.dwd";
    }
    void makeOutputFileName()
    {
        QFETCH(QString, script);
        QFETCH(QString, output);
        QCOMPARE(DwdCompiler::makeOutputFileName(script), output);
    }

    // Presses at the given moments, then End (by the key that lands on it
    // when the script is used up, else by the mouse). The file must hold one
    // record per press with the time since the one before, and be the file
    // `ondel-dwd compile` writes for the same moments.
    void captureWritesRecordsWithTheirDeltas_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<TrackPosition>>("presses");
        QTest::addColumn<QString>("keys"); // S space, E enter, one per press
        QTest::addColumn<QStringList>("deltas");
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<bool>("usedUp");

        QTest::newRow("commands go with their piece")
            << QByteArray("[/fontsize(20)]\x82\xa0\x82\xa2")
            << QList<TrackPosition>{at(0, 1, 0), at(0, 2, 50)} << "SS" << QStringList{"0:1:0", "0:1:50"}
            << QByteArrayList{"\x82\xa0", "\x82\xa2"} << true;
        QTest::newRow("frames borrow from seconds")
            << QByteArray("abc") << QList<TrackPosition>{at(0, 10, 70), at(0, 11, 32), at(1, 0, 0)} << "SES"
            << QStringList{"0:10:70", "0:0:37", "0:48:43"} << QByteArrayList{"a", "b", "c"} << true;
        QTest::newRow("line breaks stay with their piece")
            << Aiu << QList<TrackPosition>{at(0, 1, 0), at(0, 2, 0), at(0, 3, 0)} << "EEE"
            << QStringList{"0:1:0", "0:1:0", "0:1:0"}
            << QByteArrayList{"\x82\xa0", "\x82\xa2\r\n", "\x82\xa4"} << true;
        QTest::newRow("a closing line break takes one more press")
            << QByteArray("ab\r\n") << QList<TrackPosition>{at(0, 0, 10), at(0, 0, 20), at(0, 0, 30)} << "SSS"
            << QStringList{"0:0:10", "0:0:10", "0:0:10"} << QByteArrayList{"a", "b\r\n", ""} << true;
        QTest::newRow("ended before the script is used up")
            << QByteArray("abcdef") << QList<TrackPosition>{at(0, 5, 0), at(0, 5, 0)} << "SS"
            << QStringList{"0:5:0", "0:0:0"} << QByteArrayList{"a", "b"} << false;
    }
    void captureWritesRecordsWithTheirDeltas()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<TrackPosition>, presses);
        QFETCH(QString, keys);
        QFETCH(QStringList, deltas);
        QFETCH(QByteArrayList, pieces);
        QFETCH(bool, usedUp);

        CaptureRig rig;
        rig.editorFile = script(text);
        QVERIFY(rig.open());
        rig.start();
        QVERIFY(rig.form->compiling());
        QCOMPARE(QApplication::focusWidget(), rig.form.data());
        const QString output = dir.filePath("song.dwd");
        const QString working = dir.filePath("song.capture.dwd");
        QCOMPARE(rig.form->compiler().workingFileName(), working);
        for (qsizetype i = 0; i < presses.size(); ++i)
            rig.pressAt(presses[i], keys[i] == QLatin1Char('E') ? Qt::Key_Return : Qt::Key_Space);
        // Every record is on disk at its press, in a working file the player
        // could play as it is; the output comes at the end.
        QCOMPARE(records(working).size(), presses.size());
        QCOMPARE(check(working), DwdReader::FileCheck::Valid);
        QVERIFY(!QFile::exists(output));

        if (usedUp) {
            QCOMPARE(QApplication::focusWidget(), rig.button(Names::endButton));
            rig.key(Qt::Key_Space);
        }
        else {
            QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        }
        QVERIFY(!rig.form->compiling());
        QVERIFY(rig.button(Names::startButton)->isEnabled());
        QCOMPARE(rig.mode(), QByteArray("stopped"));
        QCOMPARE(check(output), DwdReader::FileCheck::Valid);
        QVERIFY(!QFile::exists(working));
        const QList<DwdReader::Record> written = records(output);
        QStringList writtenDeltas;
        QByteArrayList writtenPieces;
        for (const DwdReader::Record& r : written) {
            writtenDeltas << show(r.delta);
            writtenPieces << r.text;
        }
        QCOMPARE(writtenDeltas, deltas);
        QCOMPARE(writtenPieces, pieces);

        // The command-line compiler, given the same moments, writes the same bytes.
        QStringList times;
        for (const TrackPosition& p : presses)
            times << QStringLiteral("%1:%2:%3")
                         .arg(p.minutes)
                         .arg(p.seconds, 2, 10, QLatin1Char('0'))
                         .arg(p.frames);
        QVERIFY(writeFile(dir.filePath("times.txt"), times.join(QLatin1Char('\n')).toUtf8()));
        QProcess tool;
        tool.start(QStringLiteral(ONDEL_TEST_BINARY_DIR "/ondel-dwd"),
                   {QStringLiteral("compile"), rig.editorFile, dir.filePath("times.txt"),
                    QStringLiteral("-o"), dir.filePath("tool.dwd")});
        QVERIFY2(tool.waitForFinished(), "build ondel-dwd first");
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(readFile(output).toHex(' '), readFile(dir.filePath("tool.dwd")).toHex(' '));
    }

    void theFortyByteFile()
    {
        CaptureRig rig;
        rig.editorFile = script("[/fontsize(20)]\x82\xa0\x82\xa2");
        QVERIFY(rig.open());
        rig.start();
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 50));
        rig.key(Qt::Key_Return); // End has the focus
        QCOMPARE(readFile(dir.filePath("song.dwd")).toHex(),
                 QByteArray("445744000000002800000000000100000001021400020000"
                            "0082a0000001003200000200000082a2"));
    }

    // Every way a take is thrown away leaves the file from before byte for
    // byte (or no file), removes the working file and stops the disc.
    void thrownAwayTakesLeaveThePreviousFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("previous");
        for (const char* how : {"Cancel", "closing the window", "syntax error"}) {
            QTest::addRow("%s over a file", how) << how << true;
            QTest::addRow("%s with no file", how) << how << false;
        }
    }
    void thrownAwayTakesLeaveThePreviousFile()
    {
        QFETCH(QString, how);
        QFETCH(bool, previous);
        CaptureRig rig(QStringLiteral("tracks=3,length=0:05"));
        rig.editorFile = script("abc[/bogus]defghijklmnopqrstuvwxyz");
        const QString output = dir.filePath("song.dwd");
        const QByteArray before = QByteArray::fromHex("4457440000000016000000000001000000000100000061");
        if (previous)
            QVERIFY(writeFile(output, before));
        QVERIFY(rig.open());
        rig.start();
        QCOMPARE(rig.boxes.shown.size(), previous ? 1 : 0); // the overwrite question, answered OK
        rig.tick();
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 0));
        QCOMPARE(records(rig.form->compiler().workingFileName()).size(), 2);
        if (how == QLatin1String("Cancel")) {
            QTest::mouseClick(rig.button(Names::cancelButton), Qt::LeftButton);
        }
        else if (how == QLatin1String("closing the window")) {
            rig.form->close();
        }
        else if (how == QLatin1String("syntax error")) {
            rig.pressAt(at(0, 3, 0));
            rig.pressAt(at(0, 4, 0));
            QCOMPARE(rig.boxes.shown.last().text,
                     QStringLiteral("文法に誤りがあります。\n 存在しない命令があります。"));
        }
        else {
            for (int i = 0; i < 70 && rig.form->compiling(); ++i)
                rig.tick();
        }
        if (rig.form)
            QVERIFY(!rig.form->compiling());
        if (previous)
            QCOMPARE(readFile(output).toHex(' '), before.toHex(' '));
        else
            QVERIFY(!QFile::exists(output));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.capture*")}, QDir::Files), QStringList());
        // (At a track end the monitor goes on with the next track as it always does.)
        if (how != QLatin1String("track end"))
            QCOMPARE(rig.mode(), QByteArray("stopped"));
        if (how == QLatin1String("closing the window")) {
            QCOMPARE(rig.windowClosings, 1);
            QTRY_VERIFY(rig.form.isNull());
        }
        else {
            QVERIFY(rig.button(Names::startButton)->isEnabled());
        }
    }

    // A take the track's end cuts short over an existing file keeps its
    // pieces in the working file and says so; the file from before stays.
    void aTakeCutShortByTheTrackEndIsKept()
    {
        CaptureRig rig(QStringLiteral("tracks=3,length=0:05"));
        rig.editorFile = script("abcdefghijklmnopqrstuvwxyz");
        const QString output = dir.filePath("song.dwd");
        const QByteArray before = QByteArray::fromHex("4457440000000016000000000001000000000100000061");
        QVERIFY(writeFile(output, before));
        QVERIFY(rig.open());
        rig.start();
        rig.tick();
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 0));
        const QString working = rig.form->compiler().workingFileName();
        for (int i = 0; i < 70 && rig.form->compiling(); ++i)
            rig.tick();
        QVERIFY(!rig.form->compiling());
        QCOMPARE(readFile(output).toHex(' '), before.toHex(' '));
        QCOMPARE(records(working).size(), 2);
        QCOMPARE(check(working), DwdReader::FileCheck::Valid);
        QCOMPARE(rig.boxes.shown.last().text, DwdCompiler::partialTakeMessage(working, output));
        QVERIFY(rig.boxes.shown.last().text.contains(QFileInfo(working).fileName()));
        QVERIFY(rig.button("Start")->isEnabled());
    }

    // Picks a speed in the window's box with the mouse, as the user does.
    static void chooseSpeed(CaptureRig& rig, int percent)
    {
        auto* box = rig.form->findChild<QComboBox*>(Names::speedBox);
        QVERIFY(box);
        box->showPopup();
        QAbstractItemView* list = box->view();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        const QRect item = list->visualRect(list->model()->index(box->findData(percent), 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QCOMPARE(box->currentData().toInt(), percent);
    }

    // A slowed take is timed in disc time: at half speed two seconds heard
    // are one second of the song. The author's latency is time heard too: on
    // a slowed disc it covers less of the song, at the speed of each press.
    void slowTakesRecordDiscTime_data()
    {
        QTest::addColumn<int>("latency");         // kept by the measuring dialog, ms
        QTest::addColumn<int>("speedBefore");     // chosen before Start
        QTest::addColumn<int>("speedAfterFirst"); // chosen after the first press, 0 for none
        QTest::addColumn<QList<int>>("wallMs");   // the presses, after Start
        QTest::addColumn<QStringList>("deltas");

        QTest::newRow("half speed") << 0 << 50 << 0 << QList<int>{2000, 3000}
                                    << QStringList{"0:1:0", "0:0:37"};
        QTest::newRow("three quarters")
            << 0 << 75 << 0 << QList<int>{2000, 4000} << QStringList{"0:1:37", "0:1:38"};
        QTest::newRow("slowed down in the middle of the take")
            << 0 << 100 << 50 << QList<int>{1000, 3000} << QStringList{"0:1:0", "0:1:0"};
        QTest::newRow("back to normal in the middle of the take")
            << 0 << 60 << 100 << QList<int>{1000, 2000} << QStringList{"0:0:45", "0:1:0"};
        // 300 ms is 22.5 frames of disc at full speed, 11.25 at half.
        QTest::newRow("late taps at half speed")
            << 300 << 50 << 0 << QList<int>{2000, 3000} << QStringList{"0:0:64", "0:0:37"};
        QTest::newRow("late taps at full speed")
            << 300 << 100 << 0 << QList<int>{1000, 2000} << QStringList{"0:0:52", "0:1:0"};
        QTest::newRow("late taps, slowed down after the first press")
            << 300 << 100 << 50 << QList<int>{1000, 3000} << QStringList{"0:0:52", "0:1:12"};
        QTest::newRow("early taps at three quarters")
            << -100 << 75 << 0 << QList<int>{2000, 4000} << QStringList{"0:1:43", "0:1:38"};
    }
    void slowTakesRecordDiscTime()
    {
        QFETCH(int, latency);
        QFETCH(int, speedBefore);
        QFETCH(int, speedAfterFirst);
        QFETCH(QList<int>, wallMs);
        QFETCH(QStringList, deltas);

        CaptureRig rig;
        if (latency)
            QVERIFY(TapLatencyStore(rig.settings).write(latency));
        rig.editorFile = script("abc");
        QVERIFY(rig.open());
        if (speedBefore != 100)
            chooseSpeed(rig, speedBefore);
        QVERIFY(!rig.device.sent.contains("set cdaudio speed 100"));
        rig.start();
        for (qsizetype i = 0; i < wallMs.size(); ++i) {
            rig.clock.set(rig.playStartMs + wallMs[i]);
            rig.key(Qt::Key_Space);
            if (i == 0 && speedAfterFirst)
                chooseSpeed(rig, speedAfterFirst);
            // Whatever was clicked, Space still times.
            QCOMPARE(QApplication::focusWidget(), rig.form.data());
        }
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        QStringList written;
        for (const DwdReader::Record& r : records(dir.filePath("song.dwd")))
            written << show(r.delta);
        QCOMPARE(written, deltas);
    }

    // The player is never left slowed: however a slowed take ends, the disc
    // is back at its own speed, and the slowing was asked before the play.
    void theDiscIsBackAtNormalSpeedAfterASlowTake_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"End", "Cancel", "closing the window", "track end"})
            QTest::newRow(how) << how;
    }
    void theDiscIsBackAtNormalSpeedAfterASlowTake()
    {
        QFETCH(QString, how);
        CaptureRig rig(QStringLiteral("tracks=3,length=0:05"));
        rig.editorFile = script("abcdef");
        QVERIFY(rig.open());
        chooseSpeed(rig, 70);
        rig.start();
        QCOMPARE(rig.speed(), QByteArray("70"));
        const QByteArrayList sent = rig.device.sent;
        QVERIFY(sent.indexOf("set cdaudio speed 70") < sent.indexOf("play cdaudio from 1"));
        rig.tick();
        rig.pressAt(at(0, 1, 0));
        if (how == QLatin1String("End"))
            QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        else if (how == QLatin1String("Cancel"))
            QTest::mouseClick(rig.button(Names::cancelButton), Qt::LeftButton);
        else if (how == QLatin1String("closing the window"))
            rig.form->close();
        else
            for (int i = 0; i < 200 && rig.form->compiling(); ++i)
                rig.tick();
        if (rig.form)
            QVERIFY(!rig.form->compiling());
        QCOMPARE(rig.speed(), QByteArray("100"));
        // The next take is slowed again: the window keeps the choice.
        if (rig.form) {
            rig.start();
            QCOMPARE(rig.speed(), QByteArray("70"));
        }
    }

    // End replaces the file from before with the new take in one step.
    void endReplacesThePreviousFile()
    {
        CaptureRig rig;
        rig.editorFile = script("abc");
        const QString output = dir.filePath("song.dwd");
        QVERIFY(writeFile(output, "an older take"));
        QVERIFY(rig.open());
        rig.start();
        QCOMPARE(readFile(output), QByteArray("an older take"));
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 0));
        QCOMPARE(readFile(output), QByteArray("an older take"));
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        QCOMPARE(check(output), DwdReader::FileCheck::Valid);
        QCOMPARE(records(output).size(), 2);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.capture*")}, QDir::Files), QStringList());
    }

    void syntaxErrorAtTheTenthPieceDeletesNineRecords()
    {
        CaptureRig rig;
        rig.editorFile = script("abcdefghi[/bogus]j");
        QVERIFY(rig.open());
        rig.start();
        for (int i = 1; i <= 9; ++i)
            rig.pressAt(at(0, i, 0));
        QCOMPARE(records(dir.filePath("song.capture.dwd")).size(), 9);
        QCOMPARE(rig.mode(), QByteArray("playing"));
        // The monitor's timer runs inside the message box: the track ending
        // then must not finish the file that the error throws away.
        rig.boxes.whileOpen([&] { rig.endRunningCapture(); });
        rig.pressAt(at(0, 10, 0));
        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.boxes.shown[0].text,
                 QStringLiteral("文法に誤りがあります。\n 存在しない命令があります。"));
        QCOMPARE(rig.boxes.shown[0].caption, QStringLiteral("ERROR"));
        QVERIFY(!QFile::exists(dir.filePath("song.dwd")));
        QVERIFY(!QFile::exists(dir.filePath("song.capture.dwd")));
        QCOMPARE(rig.mode(), QByteArray("stopped"));
        QVERIFY(!rig.form->compiling());
        QVERIFY(rig.button(Names::startButton)->isEnabled());
    }

    // The monitor ends the capture when the disc runs into the next track.
    // With no file from before the take becomes the file, as End would make
    // it; a take whose script is used up replaces one.
    void trackChangeEndsTheCaptureAndKeepsTheFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("previous");
        QTest::newRow("unfinished take, no file before") << QByteArray("abcdef") << false;
        QTest::newRow("finished take over a file") << QByteArray("ab") << true;
    }
    void trackChangeEndsTheCaptureAndKeepsTheFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, previous);
        CaptureRig rig(QStringLiteral("tracks=3,length=0:05"));
        rig.editorFile = script(text);
        if (previous)
            QVERIFY(writeFile(dir.filePath("song.dwd"), "older"));
        QVERIFY(rig.open());
        rig.start();
        rig.tick();
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 0));
        for (int i = 0; i < 70 && rig.form->compiling(); ++i)
            rig.tick();
        QVERIFY(!rig.form->compiling());
        QCOMPARE(check(dir.filePath("song.dwd")), DwdReader::FileCheck::Valid);
        QCOMPARE(records(dir.filePath("song.dwd")).size(), 2);
        // Key presses after the end do nothing.
        rig.form->setFocus();
        rig.key(Qt::Key_Space);
        QCOMPARE(records(dir.filePath("song.dwd")).size(), 2);
    }

    // Only Space and Enter time; any key scrolls away the line finished at the press before.
    void otherKeysWriteNothingButScroll()
    {
        CaptureRig rig;
        rig.editorFile = script(Aiu);
        QVERIFY(rig.open());
        rig.start();
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 0)); // い and the line break
        const qint64 size = QFileInfo(dir.filePath("song.capture.dwd")).size();
        QCOMPARE(rig.form->compiler().pendingLineBreaks(), 1);
        for (Qt::Key k : {Qt::Key_A, Qt::Key_Escape, Qt::Key_F1, Qt::Key_Shift, Qt::Key_Delete, Qt::Key_0})
            rig.key(k);
        QCOMPARE(QFileInfo(dir.filePath("song.capture.dwd")).size(), size);
        QCOMPARE(rig.form->compiler().pendingLineBreaks(), 0);
        const int lineHeight = rig.form->compiler().previewCursor().textHeight("A");
        QVERIFY(lineHeight > 0);
        QCOMPARE(rig.form->compiler().previewCursor().origin(), QPoint(0, -lineHeight));
        QVERIFY(rig.form->compiling());
    }

    // After the last piece End has the focus. Should the user take the focus
    // back to the window, Space writes nothing and hands it to End again.
    void pressesAfterTheScriptIsUsedUpWriteNothing()
    {
        CaptureRig rig;
        rig.editorFile = script("ab");
        QVERIFY(rig.open());
        rig.start();
        rig.pressAt(at(0, 1, 0));
        QCOMPARE(QApplication::focusWidget(), rig.form.data());
        rig.pressAt(at(0, 2, 0));
        QCOMPARE(QApplication::focusWidget(), rig.button(Names::endButton));
        rig.form->setFocus();
        rig.pressAt(at(0, 3, 0));
        QCOMPARE(records(dir.filePath("song.capture.dwd")).size(), 2);
        QVERIFY(rig.form->compiling());
        QCOMPARE(QApplication::focusWidget(), rig.button(Names::endButton));
        rig.key(Qt::Key_Space);
        QVERIFY(!rig.form->compiling());
        QCOMPARE(check(dir.filePath("song.dwd")), DwdReader::FileCheck::Valid);
    }

    // A script saved in the editor during a capture is taken up when the capture ends.
    void reloadWaitsForTheCaptureToEnd()
    {
        CaptureRig rig;
        rig.editorFile = script("abc");
        QVERIFY(rig.open());
        rig.start();
        rig.pressAt(at(0, 1, 0));
        rig.editorFile = script("xyz", QStringLiteral("other.txt"));
        rig.form->reloadScript();
        QVERIFY(rig.form->compiler().reloadPending());
        QCOMPARE(rig.form->compiler().sourceText(), QByteArray("abc"));
        rig.pressAt(at(0, 2, 0));
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        QVERIFY(!rig.form->compiler().reloadPending());
        QCOMPARE(rig.form->compiler().sourceText(), QByteArray("xyz"));
        QCOMPARE(rig.form->compiler().outputFileName(), dir.filePath("other.dwd"));
        QCOMPARE(records(dir.filePath("song.dwd")).size(), 2);
    }

    // Pieces are drawn grey, and blue once timed, inside the text area.
    void timedPiecesTurnBlue()
    {
        CaptureRig rig;
        rig.editorFile = script(Aiu);
        QVERIFY(rig.open());
        auto count = [&](auto isColour) {
            const QImage& image = rig.form->canvas().image();
            const TextRect area = rig.form->compiler().textArea();
            int n = 0;
            for (int y = area.top; y < area.bottom; ++y)
                for (int x = area.left; x < area.right; ++x)
                    n += isColour(QColor(image.pixel(x, y))) ? 1 : 0;
            return n;
        };
        auto blue = [](const QColor& c) { return c.blue() > 200 && c.red() < 80 && c.green() < 80; };
        auto grey = [](const QColor& c) { return qAbs(c.red() - 128) < 30 && c.red() == c.blue(); };
        QVERIFY(count(grey) > 20);
        QCOMPARE(count(blue), 0);
        rig.start();
        rig.pressAt(at(0, 1, 0));
        const int afterOne = count(blue);
        QVERIFY(afterOne > 20);
        rig.pressAt(at(0, 2, 0));
        QVERIFY(count(blue) > afterOne);
        QTest::mouseClick(rig.button(Names::cancelButton), Qt::LeftButton);
        QCOMPARE(count(blue), 0);
    }

    // Every failure the window reports, with its exact text and caption, and
    // what it leaves behind.
    void failureMessages_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        const QString error = QStringLiteral("ERROR");
        QTest::newRow("Start while capturing")
            << "twice"
            << "コンパイル中です。\n再コンパイルするには一旦コンパイルを中断"
               "してください。"
            << error;
        QTest::newRow("dialog cancelled at creation") << "no script"
                                                      << "ソースファイルの読み込みに失敗しました。" << error;
        QTest::newRow("Start with no script and no editor file")
            << "no script, start"
            << "ソースファイルが指定されていません。" << error;
        QTest::newRow("editor script unreadable at creation")
            << "unreadable"
            << "ソースファイルの読み込みに失敗しました。" << error;
        // A pipe would keep the window waiting for a writer that never comes.
        QTest::newRow("editor script is a pipe") << "pipe"
                                                 << "ソースファイルの読み込みに失敗しました。" << error;
        QTest::newRow("editor script unreadable at Start")
            << "unreadable at start"
            << "ソースファイルの読み込みに失敗しました。" << error;
        QTest::newRow("output file exists")
            << "exists" << dir.filePath("song.dwd") + " はすでに存在します。\n上書きしますか？"
            << "ファイルが存在";
        QTest::newRow("output file cannot be created") << "uncreatable"
                                                       << "ファイルのオープンに失敗しました。" << error;
        QTest::newRow("header fails at End") << "header at end"
                                             << "ヘッダの書き込みに失敗しました。" << error;
        QTest::newRow("record fails") << "record"
                                      << "ファイルへの書き込みに失敗しました。" << error;
        QTest::newRow("script cannot be taken up again") << "reload"
                                                         << "データの更新ができませんでした。"
                                                         << "Make DWD file : ERROR";
        QTest::newRow("preview misses a bracket") << "preview"
                                                  << "文法に誤りがあります。\n ] がありません。" << error;
    }
    void failureMessages()
    {
        QFETCH(QString, failure);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        const QString output = dir.filePath("song.dwd");
        const QString working = dir.filePath("song.capture.dwd");
        CaptureRig rig;
        rig.editorFile = script("abc");
        if (failure.startsWith(QLatin1String("no script"))) {
            rig.editorFile.clear();
            rig.dialogs.answers << QString();
        }
        if (failure == QLatin1String("unreadable"))
            rig.editorFile = dir.filePath("missing.txt");
        if (failure == QLatin1String("pipe")) {
            rig.editorFile = dir.filePath("pipe.txt");
            QCOMPARE(::mkfifo(QFile::encodeName(rig.editorFile).constData(), 0600), 0);
        }
        if (failure == QLatin1String("preview"))
            rig.editorFile = script("ab[/clear");
        if (failure == QLatin1String("exists"))
            QVERIFY(writeFile(output, "keep me"));
        if (failure == QLatin1String("uncreatable"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("song.dwd")));
        QVERIFY(rig.open());

        if (failure == QLatin1String("unreadable at start")) {
            rig.editorFile.clear();
            rig.form->compiler().reloadScript(); // the editor closed its file
            rig.editorFile = dir.filePath("missing.txt");
        }
        if (failure == QLatin1String("exists"))
            rig.boxes.answer(BoxButton::Cancel);
        if (failure == QLatin1String("reload")) {
            rig.editorFile = dir.filePath("missing.txt");
            rig.form->reloadScript();
        }
        else if (!QStringList{"no script", "unreadable", "pipe", "preview"}.contains(failure)) {
            rig.start();
        }
        if (failure == QLatin1String("twice"))
            rig.form->compiler().start();
        if (failure == QLatin1String("header at end")) {
            rig.pressAt(at(0, 1, 0));
            QVERIFY(fillUpDisk(working));
            QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        }
        if (failure == QLatin1String("record")) {
            rig.pressAt(at(0, 1, 0));
            QVERIFY(fillUpDisk(working));
            rig.pressAt(at(0, 2, 0));
        }

        QVERIFY(!rig.boxes.shown.isEmpty());
        QCOMPARE(rig.boxes.shown.last().text, text);
        QCOMPARE(rig.boxes.shown.last().caption, caption);
        QCOMPARE(rig.boxes.shown.last().icon,
                 failure == QLatin1String("exists") ? BoxIcon::Warning : BoxIcon::Error);
        QCOMPARE(rig.boxes.shown.last().buttons,
                 failure == QLatin1String("exists") ? BoxButtons::OkCancel : BoxButtons::Ok);

        // Only a capture that reached its end leaves a file; when the end
        // fails, the working file keeps the pieces timed, playable as it is.
        QCOMPARE(rig.form->compiling(), failure == QLatin1String("twice"));
        if (failure == QLatin1String("exists"))
            QCOMPARE(readFile(output), QByteArray("keep me"));
        else if (failure == QLatin1String("header at end"))
            QVERIFY(check(working) == DwdReader::FileCheck::Valid && records(working).size() == 1 &&
                    !QFile::exists(output));
        else if (failure == QLatin1String("twice"))
            QVERIFY(QFile::exists(working));
        else if (failure != QLatin1String("uncreatable"))
            QVERIFY(!QFileInfo(output).exists() && !QFileInfo(output).isSymLink());
        if (failure == QLatin1String("record")) {
            QCOMPARE(rig.mode(), QByteArray("stopped"));
            QVERIFY(!QFile::exists(working));
        }
        if (failure.startsWith(QLatin1String("no script"))) {
            QCOMPARE(rig.dialogs.titles,
                     QStringList{QStringLiteral("歌詞ファイルにするテキストファイルを選択")});
            QCOMPARE(rig.dialogs.filters, QStringList{QStringLiteral("テキストファイル（*.txt）|*.txt")});
            QCOMPARE(rig.dialogs.suffixes, QStringList{QStringLiteral("txt")});
        }
    }

    // The author's tap latency comes off every press, in disc time rounded
    // to the nearest frame: half a frame goes away from zero, and a slowed
    // disc moves less music under the same delay.
    void latencyFrames_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("frames");
        QTest::newRow("none") << 0 << 100 << 0;
        QTest::newRow("45 ms is 3.375 frames") << 45 << 100 << 3;
        QTest::newRow("13 ms is nearly a frame") << 13 << 100 << 1;
        QTest::newRow("6 ms is under half a frame") << 6 << 100 << 0;
        QTest::newRow("the latest, 22.5 frames") << 300 << 100 << 23;
        QTest::newRow("the earliest") << -300 << 100 << -23;
        QTest::newRow("early by 3 frames exactly") << -40 << 100 << -3;
        QTest::newRow("half speed: 1.5 frames") << 40 << 50 << 2;
        QTest::newRow("half speed, early: -1.5 frames") << -40 << 50 << -2;
        QTest::newRow("half speed, 11.25 frames") << 300 << 50 << 11;
        QTest::newRow("three quarters") << 100 << 75 << 6;
    }
    void latencyFrames()
    {
        QFETCH(int, ms);
        QFETCH(int, speed);
        QFETCH(int, frames);
        QCOMPARE(DwdCompiler::latencyFrames(ms, speed), frames);
    }

    // The latency kept in settings is taken off every press of a take; no
    // time goes before the start of the track or before the previous press,
    // and a press taken back gives its slot back exactly.
    void latencyIsTakenOffEveryPress_data()
    {
        QTest::addColumn<int>("latency");                  // kept in settings, ms
        QTest::addColumn<QList<TrackPosition>>("presses"); // heard; -1 minutes: Backspace
        QTest::addColumn<QStringList>("deltas");
        QTest::newRow("none kept") << 0 << QList<TrackPosition>{at(0, 1, 0), at(0, 2, 50), at(0, 3, 0)}
                                   << QStringList{"0:1:0", "0:1:50", "0:0:25"};
        QTest::newRow("45 ms late: 3 frames earlier")
            << 45 << QList<TrackPosition>{at(0, 1, 0), at(0, 2, 50), at(0, 3, 0)}
            << QStringList{"0:0:72", "0:1:50", "0:0:25"};
        QTest::newRow("early taps are timed later")
            << -40 << QList<TrackPosition>{at(0, 1, 0), at(0, 2, 74), at(1, 0, 0)}
            << QStringList{"0:1:3", "0:1:74", "0:57:1"};
        QTest::newRow("not before the start of the track")
            << 300 << QList<TrackPosition>{at(0, 0, 10), at(0, 0, 30), at(0, 1, 0)}
            << QStringList{"0:0:0", "0:0:7", "0:0:45"};
        QTest::newRow("two presses before the start of the track")
            << 300 << QList<TrackPosition>{at(0, 0, 10), at(0, 0, 20), at(0, 0, 40)}
            << QStringList{"0:0:0", "0:0:0", "0:0:17"};
        // A position read that went back never gives a negative delta.
        QTest::newRow("not before the previous press")
            << 45 << QList<TrackPosition>{at(0, 5, 0), at(0, 4, 0), at(0, 6, 0)}
            << QStringList{"0:4:72", "0:0:0", "0:1:0"};
        QTest::newRow("a press taken back, then timed anew")
            << 45 << QList<TrackPosition>{at(0, 1, 0), at(0, 2, 0), at(-1, 0, 0), at(0, 2, 30), at(0, 3, 0)}
            << QStringList{"0:0:72", "0:1:30", "0:0:45"};
        QTest::newRow("taken back at the start of the track")
            << 300 << QList<TrackPosition>{at(0, 0, 10), at(-1, 0, 0), at(0, 0, 30), at(0, 1, 0), at(0, 2, 0)}
            << QStringList{"0:0:7", "0:0:45", "0:1:0"};
    }
    void latencyIsTakenOffEveryPress()
    {
        QFETCH(int, latency);
        QFETCH(QList<TrackPosition>, presses);
        QFETCH(QStringList, deltas);
        CaptureRig rig;
        QVERIFY(TapLatencyStore(rig.settings).write(latency));
        rig.editorFile = script("abcdefgh");
        QVERIFY(rig.open());
        rig.start();
        for (const TrackPosition& p : presses) {
            if (p.minutes < 0)
                rig.key(Qt::Key_Backspace);
            else
                rig.pressAt(p);
        }
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        QStringList written;
        for (const DwdReader::Record& r : records(dir.filePath("song.dwd")))
            written << show(r.delta);
        QCOMPARE(written, deltas);
    }

    // A take from a line: the kept pieces' last time is the previous press,
    // so a first press that the latency would put before it gets delta 0.
    void latencyNeverTimesBeforeTheKeptPieces()
    {
        const QByteArray text = "ab\r\ncd\r\nef\r\ngh";
        CaptureRig rig;
        rig.editorFile = script(text);
        QVERIFY(rig.open());
        rig.start();
        for (int n = 1; n <= 8; ++n)
            rig.pressAt(at(0, n, 0));
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        const int lineHeight = rig.form->compiler().previewCursor().textHeight("A");
        QTest::mouseClick(rig.form, Qt::LeftButton, {}, QPoint(40, 10 + 2 * lineHeight + lineHeight / 2));
        QCOMPARE(rig.form->compiler().retimeLine(), 2);
        rig.form->compiler().setTapLatencyMs(300); // 23 frames
        rig.start();                               // plays from 0:02:00, the kept pieces end at 0:04:00
        QVERIFY(rig.form->compiling());
        rig.pressAt(at(0, 2, 10)); // heard at 0:04:10
        rig.pressAt(at(0, 4, 0));  // heard at 0:06:00
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        QStringList written;
        for (const DwdReader::Record& r : records(dir.filePath("song.dwd")))
            written << show(r.delta);
        QCOMPARE(written, (QStringList{"0:1:0", "0:1:0", "0:1:0", "0:1:0", "0:0:0", "0:1:52"}));
    }

    // The window's bottom right shows the latency kept in settings; a bad
    // value there means none.
    void theWindowShowsTheKeptLatency_data()
    {
        QTest::addColumn<QString>("stored"); // the settings value as text; empty: none
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("used");
        QTest::newRow("late") << "45"
                              << "遅れ補正 +45 ms" << 45;
        QTest::newRow("early") << "-12"
                               << "遅れ補正 -12 ms" << -12;
        QTest::newRow("the longest") << "-300"
                                     << "遅れ補正 -300 ms" << -300;
        QTest::newRow("none kept") << ""
                                   << "遅れ補正 なし" << 0;
        QTest::newRow("zero") << "0"
                              << "遅れ補正 なし" << 0;
        QTest::newRow("out of range") << "5000"
                                      << "遅れ補正 なし" << 0;
        QTest::newRow("not a number") << "slow"
                                      << "遅れ補正 なし" << 0;
    }
    void theWindowShowsTheKeptLatency()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(int, used);
        CaptureRig rig;
        if (!stored.isEmpty())
            rig.settings.keys[SettingsKeys::CompileState][SettingsKeys::TapLatency] = stored;
        rig.editorFile = script("ab");
        QVERIFY(rig.open());
        auto* label = rig.form->findChild<QLabel*>(Names::tapLatency);
        QVERIFY(label);
        QCOMPARE(label->text(), shown);
        QCOMPARE(rig.form->compiler().tapLatencyMs(), used);
        // At the right end of the button row, clear of the row's middle.
        QAbstractButton* measure = rig.button(Names::measureButton);
        QCOMPARE(measure->text(), QStringLiteral("測定…"));
        for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(measure)}) {
            QVERIFY(w->isVisible());
            QVERIFY(w->geometry().left() >= rig.form->width() - 150);
            QVERIFY(w->geometry().left() > 285);
            QCOMPARE(w->geometry().bottom(), rig.form->height() - 1);
            QVERIFY(w->geometry().right() < rig.form->width());
        }
        // Clear of every other control of the row.
        for (QWidget* other : rig.form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != label && other != measure && other->isVisible())
                QVERIFY2(!other->geometry().intersects(label->geometry()) &&
                             !other->geometry().intersects(measure->geometry()),
                         qPrintable(other->objectName()));
        }
        // The text is whole, even in a window narrowed by a wide frame.
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
        QVERIFY(measure->fontMetrics().horizontalAdvance(measure->text()) + 8 <= measure->width());
        rig.form->resize(CompileWindow::OuterWidth - 16, rig.form->height());
        QTRY_COMPARE(rig.form->width(), CompileWindow::OuterWidth - 16);
        QCOMPARE(measure->geometry().right(), rig.form->width() - 1);
        QVERIFY(label->geometry().left() > 285);
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width(),
                 qPrintable(QString::number(label->fontMetrics().horizontalAdvance(label->text()))));
    }

    // The dialog opens from the window; a value saved there is shown and
    // used from the next press on. While a take runs, the latency cannot
    // change.
    void measuringFromTheWindow()
    {
        CaptureRig rig;
        ManualSink* sink = nullptr;
        rig.editorFile = script("abcdef");
        QVERIFY(rig.open());
        rig.form->setClickSinkMaker([&] {
            auto made = std::make_unique<ManualSink>();
            sink = made.get();
            return made;
        });
        QTest::mouseClick(rig.button(Names::measureButton), Qt::LeftButton);
        TapCalibrationDialog* dialog = rig.form->tapCalibrationForm();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("タップの遅れを測る"));
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(TapNames::startButton), Qt::LeftButton);
        QVERIFY(sink);
        for (int n = 0; n < TapCalibration::TapClicks; ++n) {
            sink->play(ClickTrack::byteAt(TapCalibration::clickMs(TapCalibration::ListenClicks + n) + 60) -
                       sink->playedBytes());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        }
        sink->play(ClickTrack::byteAt(TapCalibration::lengthMs));
        QAbstractButton* save = dialog->findChild<QAbstractButton*>(TapNames::saveButton);
        QTRY_VERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(rig.form->findChild<QLabel*>(Names::tapLatency)->text(), QStringLiteral("遅れ補正 +60 ms"));
        QCOMPARE(TapLatencyStore(rig.settings).read(), 60);
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(TapNames::closeButton), Qt::LeftButton);
        QTRY_VERIFY(!rig.form->tapCalibrationForm());

        QApplication::setActiveWindow(rig.form);
        QVERIFY(QTest::qWaitForWindowActive(rig.form));
        rig.start();
        QVERIFY(!rig.button(Names::measureButton)->isEnabled());
        QVERIFY(!rig.form->findChild<QLabel*>(Names::tapLatency)->isEnabled());
        QTest::mouseClick(rig.button(Names::measureButton), Qt::LeftButton);
        QVERIFY(!rig.form->tapCalibrationForm());
        rig.pressAt(at(0, 1, 0)); // 60 ms: 4.5 frames, 5 off
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        QVERIFY(rig.button(Names::measureButton)->isEnabled());
        QVERIFY(rig.form->findChild<QLabel*>(Names::tapLatency)->isEnabled());
        const QList<DwdReader::Record> written = records(dir.filePath("song.dwd"));
        QCOMPARE(written.size(), 1);
        QCOMPARE(show(written[0].delta), QStringLiteral("0:0:70"));
    }

    // The window goes (the program ends) in the middle of a count-in played
    // on the window's own clock, as it is where no sound server answers.
    void closingTheWindowInTheMiddleOfACountIn()
    {
        const QByteArray savedServer = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(dir.filePath("nobody-here")));
        {
            CaptureRig rig;
            rig.editorFile = script("ab");
            QVERIFY(rig.open());
            QTest::mouseClick(rig.button(Names::measureButton), Qt::LeftButton);
            QPointer<TapCalibrationDialog> dialog = rig.form->tapCalibrationForm();
            QVERIFY(dialog);
            QTest::mouseClick(dialog->findChild<QAbstractButton*>(TapNames::startButton), Qt::LeftButton);
            QVERIFY(dialog->clickTrack().running());
            QVERIFY(dialog->clickTrack().silent());
            QTRY_VERIFY(dialog->clickTrack().heardMs() > 0);
            delete rig.form.data();
            QVERIFY(!dialog);
        }
        qputenv("PULSE_SERVER", savedServer);
    }

    // A held key gives one piece: its repeats are dropped, also on End,
    // which has the focus after the last piece.
    void heldKeysTimeOnePiece_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<bool>("stillCapturing");
        QTest::newRow("Space held in the middle")
            << QByteArray("abcdefgh") << int(Qt::Key_Space) << 1 << true;
        QTest::newRow("Enter held in the middle")
            << QByteArray("abcdefgh") << int(Qt::Key_Return) << 1 << true;
        QTest::newRow("Space held on the last piece") << QByteArray("a") << int(Qt::Key_Space) << 1 << true;
        QTest::newRow("Enter held on the last piece") << QByteArray("a") << int(Qt::Key_Return) << 1 << true;
    }
    void heldKeysTimeOnePiece()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, key);
        QFETCH(int, pieces);
        QFETCH(bool, stillCapturing);
        CaptureRig rig;
        rig.editorFile = script(text);
        QVERIFY(rig.open());
        rig.start();
        // What the window system sends for a key held down: one press, then
        // repeated presses flagged as repeats, then the release.
        auto send = [&](QEvent::Type type, bool repeat) {
            QWidget* target = QApplication::focusWidget();
            const QString character = key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r");
            QKeyEvent event(type, key, Qt::NoModifier, character, repeat);
            QApplication::sendEvent(target ? target : rig.form.data(), &event);
        };
        rig.clock.advance(1000);
        send(QEvent::KeyPress, false);
        for (int i = 0; i < 12; ++i) {
            rig.clock.advance(40);
            send(QEvent::KeyRelease, true);
            send(QEvent::KeyPress, true);
        }
        send(QEvent::KeyRelease, false);
        QCOMPARE(rig.form->compiler().timedPieces(), pieces);
        QCOMPARE(rig.form->compiling(), stillCapturing);
        QCOMPARE(records(dir.filePath("song.capture.dwd")).size(), pieces);
    }

    // Backspace takes back the last tap while the disc plays on: the piece
    // turns grey again and the next tap times it anew, so a take with a wrong
    // tap taken back gives the file of a clean take of the same presses.
    void backspaceTakesBackATap_data()
    {
        QTest::addColumn<QString>("taps"); // digits: a press at that second, "<": Backspace
        QTest::addColumn<QString>("clean");
        QTest::newRow("at the first piece") << "1<234"
                                            << "234";
        QTest::newRow("in the middle") << "12<345"
                                       << "1345";
        QTest::newRow("across a line break, twice") << "1239<<45"
                                                    << "1245";
        QTest::newRow("after the last piece") << "12349<5"
                                              << "12345";
        QTest::newRow("more often than there are taps") << "12<<<345"
                                                        << "345";
    }
    void backspaceTakesBackATap()
    {
        QFETCH(QString, taps);
        QFETCH(QString, clean);
        const QByteArray text = "[/fontsize(20)]ab\r\ncde";
        auto take = [&](const QString& keys, CaptureRig& rig) {
            rig.editorFile = script(text);
            if (!rig.open())
                return QByteArray("no window");
            rig.start();
            for (const QChar key : keys) {
                if (key == QLatin1Char('<'))
                    rig.key(Qt::Key_Backspace);
                else
                    rig.pressAt(at(0, key.digitValue(), 0));
                if (rig.form->compiler().timedText().size() == 0 && rig.form->compiler().timedPieces() > 0)
                    return QByteArray("pieces without text");
            }
            if (rig.mode() != "playing")
                return QByteArray("the disc stopped");
            const int lines = int(rig.form->compiler().timedText().count('\n'));
            const int lineHeight = rig.form->compiler().previewCursor().textHeight("A");
            if (rig.form->compiler().previewCursor().origin().y() != -lines * lineHeight &&
                rig.form->compiler().pendingLineBreaks() == 0)
                return QByteArray("the line being timed is not at the top");
            QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
            return readFile(dir.filePath("song.dwd"));
        };
        CaptureRig cleanRig;
        const QByteArray expected = take(clean, cleanRig);
        QVERIFY(QFile::remove(dir.filePath("song.dwd")));
        CaptureRig rig;
        QCOMPARE(take(taps, rig).toHex(' '), expected.toHex(' '));
        QCOMPARE(rig.device.count("stop cdaudio"), 1);
    }

    // Taking back the last piece takes the focus from End again, so the
    // next Space times it instead of ending the take.
    void backspaceAfterTheLastPieceTimesItAgain()
    {
        CaptureRig rig;
        rig.editorFile = script("ab");
        QVERIFY(rig.open());
        rig.start();
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 0));
        QCOMPARE(QApplication::focusWidget(), rig.button(Names::endButton));
        rig.key(Qt::Key_Backspace);
        QCOMPARE(QApplication::focusWidget(), rig.form.data());
        QCOMPARE(rig.form->compiler().timedText(), QByteArray("a"));
        rig.pressAt(at(0, 3, 0));
        QVERIFY(rig.form->compiling());
        rig.key(Qt::Key_Space);
        QVERIFY(!rig.form->compiling());
        const QList<DwdReader::Record> written = records(dir.filePath("song.dwd"));
        QCOMPARE(written.size(), 2);
        QCOMPARE(show(written[1].delta), QStringLiteral("0:2:0"));
    }

    // On a line longer than the window the view moves sideways with the
    // pieces, and back to the left margin when the next line comes up.
    void longLinesFollowThePiece()
    {
        CaptureRig rig;
        QByteArray line;
        for (int i = 0; i < 120; ++i)
            line += "\x82\xa0"; // あ
        rig.editorFile = script(line + "\r\nxy");
        QVERIFY(rig.open());
        rig.start();
        const TextRect area = rig.form->compiler().textArea();
        int moves = 0;
        int lastOrigin = 0;
        for (int i = 0; i < 120; ++i) {
            rig.pressAt(at(0, 1, i % 75));
            const int x =
                rig.form->compiler().timedPen().x() + rig.form->compiler().previewCursor().origin().x();
            QVERIFY2(x >= 0 && x <= area.right - area.left, qPrintable(QString::number(x)));
            if (rig.form->compiler().previewCursor().origin().x() != lastOrigin)
                ++moves;
            lastOrigin = rig.form->compiler().previewCursor().origin().x();
        }
        QVERIFY(moves >= 2);
        rig.pressAt(at(0, 3, 0)); // x: the long line scrolls away
        QCOMPARE(rig.form->compiler().previewCursor().origin().x(), 0);
        // The timed text is drawn where the pen says: blue pixels just left of it.
        const QImage& image = rig.form->canvas().image();
        int blue = 0;
        for (int y = area.top; y < area.top + 14; ++y)
            for (int x = area.left; x < area.left + 12; ++x) {
                const QColor c(image.pixel(x, y));
                blue += c.blue() > 200 && c.red() < 80 ? 1 : 0;
            }
        QVERIFY(blue > 5);
    }

    // A finished take is offered for relating to the track it timed, with
    // the file's full name; a thrown-away or failed take is not.
    void endOffersToRelateTheTake_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("offered");
        QTest::newRow("End") << "End" << true;
        QTest::newRow("used up by Space") << "Space" << true;
        QTest::newRow("Cancel") << "Cancel" << false;
    }
    void endOffersToRelateTheTake()
    {
        QFETCH(QString, how);
        QFETCH(bool, offered);
        CaptureRig rig(QStringLiteral("tracks=5"));
        rig.state.currentTrack = 3;
        rig.editorFile = script("ab");
        QVERIFY(rig.open());
        rig.start();
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 0));
        if (how == QLatin1String("End"))
            QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        else if (how == QLatin1String("Space"))
            rig.key(Qt::Key_Space);
        else
            QTest::mouseClick(rig.button(Names::cancelButton), Qt::LeftButton);
        QCOMPARE(rig.offers,
                 offered ? QStringList{QStringLiteral("3 ") + dir.filePath("song.dwd")} : QStringList());
    }

    // A take from a picked line keeps the existing file's records before the
    // line byte for byte, plays from 3 s before the line's old time and times
    // the rest anew: the file is the one a whole take with those times gives.
    void retimingFromALineKeepsTheLinesBefore_data()
    {
        QTest::addColumn<int>("firstPresses");             // the first take: a press a second
        QTest::addColumn<int>("line");                     // picked by a click, from 0
        QTest::addColumn<QByteArray>("play");              // where the disc starts
        QTest::addColumn<QList<TrackPosition>>("presses"); // disc positions of the new presses
        QTest::addColumn<int>("kept");
        QTest::newRow("from the third line")
            << 8 << 2 << QByteArray("play cdaudio from 01:00:02:00")
            << QList<TrackPosition>{at(0, 5, 37), at(0, 6, 37), at(0, 7, 37), at(0, 8, 37)} << 4;
        QTest::newRow("from the second line") << 8 << 1 << QByteArray("play cdaudio from 01:00:00:00")
                                              << QList<TrackPosition>{at(0, 3, 1), at(0, 4, 0), at(0, 5, 0),
                                                                      at(0, 6, 0), at(0, 7, 0), at(0, 8, 0)}
                                              << 2;
        QTest::newRow("a file that ends before the line")
            << 3 << 2 << QByteArray("play cdaudio from 01:00:00:00")
            << QList<TrackPosition>{at(0, 4, 0), at(0, 5, 0), at(0, 6, 0), at(0, 7, 0), at(0, 8, 0)} << 3;
    }
    void retimingFromALineKeepsTheLinesBefore()
    {
        QFETCH(int, firstPresses);
        QFETCH(int, line);
        QFETCH(QByteArray, play);
        QFETCH(QList<TrackPosition>, presses);
        QFETCH(int, kept);
        const QByteArray text = "ab\r\ncd\r\nef\r\ngh";
        CaptureRig rig;
        rig.editorFile = script(text);
        QVERIFY(rig.open());
        rig.start();
        for (int n = 1; n <= firstPresses; ++n)
            rig.pressAt(at(0, n, 0));
        if (rig.form->compiling())
            QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        const QByteArray first = readFile(dir.filePath("song.dwd"));

        const int lineHeight = rig.form->compiler().previewCursor().textHeight("A");
        QTest::mouseClick(rig.form, Qt::LeftButton, {}, QPoint(40, 10 + line * lineHeight + lineHeight / 2));
        QCOMPARE(rig.form->compiler().retimeLine(), line);
        rig.device.sent.clear();
        rig.start();
        QVERIFY(rig.form->compiling());
        QVERIFY(rig.device.sent.contains(play));
        const int fromFrames = play.right(2).toInt() + play.mid(play.size() - 5, 2).toInt() * 75;
        const QByteArray keptText = rig.form->compiler().timedText();
        QCOMPARE(int(keptText.count('\n')), std::min(line, kept / 2));
        for (const TrackPosition& p : presses) {
            const int frames = p.seconds * 75 + p.frames - fromFrames;
            rig.pressAt(at(0, frames / 75, frames % 75));
        }
        // Backspace never takes back a kept piece.
        for (int i = 0; i < 12; ++i)
            rig.key(Qt::Key_Backspace);
        QCOMPARE(rig.form->compiler().timedText(), keptText);
        for (const TrackPosition& p : presses) {
            const int frames = p.seconds * 75 + p.frames - fromFrames;
            rig.pressAt(at(0, frames / 75, frames % 75));
        }
        if (rig.form->compiling())
            QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        const QByteArray retimed = readFile(dir.filePath("song.dwd"));

        // The whole take with the kept times and the new ones.
        QList<TrackPosition> times;
        for (int n = 1; n <= kept; ++n)
            times << at(0, n, 0);
        times += presses;
        CaptureFile cleanFile;
        DwdCapture clean(cleanFile);
        clean.setScript(text);
        QCOMPARE(clean.begin(dir.filePath("clean.dwd")), DwdCapture::Start::Started);
        qint32 lineBreaks = 0;
        for (const TrackPosition& p : times)
            clean.press(p, lineBreaks);
        QVERIFY(clean.finish());
        QCOMPARE(retimed.toHex(' '), readFile(dir.filePath("clean.dwd")).toHex(' '));
        const QList<DwdReader::Record> before = records(dir.filePath("clean.dwd"));
        qint64 keptBytes = 11;
        for (int i = 0; i < kept; ++i)
            keptBytes += 11 + before[i].text.size();
        QCOMPARE(retimed.left(keptBytes).mid(11), first.left(keptBytes).mid(11));
    }

    // A file that does not belong to the script as it is now is not re-timed.
    // The pale band marks the picked line only: the other lines' text keeps
    // the text area's own background.
    void onlyThePickedLineIsMarked_data()
    {
        QTest::addColumn<int>("line");
        QTest::newRow("the second line") << 1;
        QTest::newRow("the last line") << 3;
    }
    void onlyThePickedLineIsMarked()
    {
        QFETCH(int, line);
        CaptureRig rig;
        rig.editorFile = script("abcdef\r\nghijkl\r\nmnopqr\r\nstuvwx");
        QVERIFY(rig.open());
        rig.start();
        for (int n = 1; n <= 24; ++n)
            rig.pressAt(at(0, n, 0));
        if (rig.form->compiling())
            QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        const int lineHeight = rig.form->compiler().previewCursor().textHeight("A");
        QTest::mouseClick(rig.form, Qt::LeftButton, {}, QPoint(40, 10 + line * lineHeight + lineHeight / 2));
        QCOMPARE(rig.form->compiler().retimeLine(), line);

        const QImage picture = rig.form->canvas().image();
        const QRgb mark = qRgb(0xFF, 0xFF, 0xC0);
        for (int l = 0; l < 4; ++l) {
            int marked = 0;
            for (int y = 10 + l * lineHeight; y < 10 + (l + 1) * lineHeight; ++y)
                for (int x = 10; x < 200; ++x)
                    marked += picture.pixel(x, y) == mark;
            if (l == line) { // the whole band, behind the text too: no white left in it
                int white = 0;
                for (int y = 10 + l * lineHeight; y < 10 + (l + 1) * lineHeight; ++y)
                    for (int x = 10; x < 200; ++x)
                        white += picture.pixel(x, y) == qRgb(0xFF, 0xFF, 0xFF);
                QVERIFY(marked > 0);
                QCOMPARE(white, 0);
            }
            else
                QVERIFY2(marked == 0,
                         qPrintable(QStringLiteral("line %1 has %2 marked pixels").arg(l).arg(marked)));
        }
    }

    void retimingRefusesAFileOfAnotherScript_data()
    {
        QTest::addColumn<QByteArray>("dwd");
        QTest::addColumn<QString>("message");
        QTest::newRow("another script's pieces")
            << QByteArray::fromHex("445744000000001700000000000100000000010000007a")
            << DwdCompiler::retimeMismatchMessage();
        QTest::newRow("an unfinished file")
            << QByteArray::fromHex("445744000000000700000000000100000000010000007a")
            << DwdCompiler::retimeUnreadableMessage();
    }
    void retimingRefusesAFileOfAnotherScript()
    {
        QFETCH(QByteArray, dwd);
        QFETCH(QString, message);
        CaptureRig rig;
        rig.editorFile = script("ab\r\ncd");
        QVERIFY(writeFile(dir.filePath("song.dwd"), dwd));
        QVERIFY(rig.open());
        const int lineHeight = rig.form->compiler().previewCursor().textHeight("A");
        QTest::mouseClick(rig.form, Qt::LeftButton, {}, QPoint(40, 10 + lineHeight + lineHeight / 2));
        QCOMPARE(rig.form->compiler().retimeLine(), 1);
        rig.start();
        QVERIFY(!rig.form->compiling());
        QCOMPARE(rig.boxes.shown.last().text, message);
        QCOMPARE(readFile(dir.filePath("song.dwd")), dwd);
        // A second click on the line picks none: Start times from the beginning.
        QTest::mouseClick(rig.form, Qt::LeftButton, {}, QPoint(40, 10 + lineHeight + lineHeight / 2));
        QCOMPARE(rig.form->compiler().retimeLine(), 0);
        rig.start();
        QVERIFY(rig.form->compiling());
    }

    // Shows the window timing a song, for a look at it on a real screen:
    // ONDEL_COMPILE_SHOW=<ms per step> QT_QPA_PLATFORM=xcb test_compile -class tst_Compile
    // showForScreenshot
    void showForScreenshot()
    {
        const int stepMs = qEnvironmentVariableIntValue("ONDEL_COMPILE_SHOW");
        if (stepMs <= 0)
            QSKIP("set ONDEL_COMPILE_SHOW to watch the window");
        CaptureRig rig;
        // 春が来た、春が来た / どこに来た / [山に]来た [里に]来た / 野にも来た
        const QByteArray song =
            "[/fontsize(20)]\x8f\x74\x82\xaa\x97\x88\x82\xbd\x81\x41\x8f\x74\x82\xaa\x97\x88\x82"
            "\xbd\r\n\x82\xc7\x82\xb1\x82\xc9\x97\x88\x82\xbd\r\n[\x8e\x52\x82\xc9]\x97\x88\x82"
            "\xbd [\x97\xa2\x82\xc9]\x97\x88\x82\xbd\r\n\x96\xec\x82\xc9\x82\xe0\x97\x88\x82\xbd";
        QByteArray longLine = "\r\n";
        for (int i = 0; i < 8; ++i)
            longLine += "\x96\xec\x82\xc9\x82\xe0\x97\x88\x82\xbd\x81\x41"; // 野にも来た、 (a long line)
        rig.editorFile = script(song + longLine);
        QVERIFY(TapLatencyStore(rig.settings).write(45));
        QVERIFY(rig.open());
        rig.form->move(20, 20);
        QTest::qWait(3 * stepMs);
        rig.start();
        QTest::qWait(stepMs);
        for (int i = 0; i < 60 && rig.form->compiling(); ++i) {
            rig.clock.advance(700);
            rig.key(Qt::Key_Space);
            QTest::qWait(stepMs);
        }
        QTest::qWait(3 * stepMs);
        rig.key(Qt::Key_A);
        QTest::qWait(3 * stepMs);
    }
};

QTEST_MAIN(tst_Compile)
#include "tst_Compile.moc"
