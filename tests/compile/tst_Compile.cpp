#include "CaptureRig.h"
#include "core/DwdReader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <unistd.h>

Q_DECLARE_METATYPE(TrackPosition)

namespace {
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
    for (DwdReader::Record r = DwdReader::ReadRecord(file); r.complete(); r = DwdReader::ReadRecord(file))
        list << r;
    return list;
}

DwdReader::FileCheck check(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return DwdReader::FileCheck::HeaderUnreadable;
    return DwdReader::CheckFile(file);
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
        QCOMPARE(DwdCompiler::MakeOutputFileName(script), output);
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
        QVERIFY(rig.form->Compiling());
        QCOMPARE(QApplication::focusWidget(), rig.form.data());
        const QString output = dir.filePath("song.dwd");
        for (qsizetype i = 0; i < presses.size(); ++i)
            rig.pressAt(presses[i], keys[i] == QLatin1Char('E') ? Qt::Key_Return : Qt::Key_Space);
        // Every record is on disk at its press, under the provisional header.
        QCOMPARE(records(output).size(), presses.size());
        QCOMPARE(check(output), DwdReader::FileCheck::SizeMismatch);

        if (usedUp) {
            QCOMPARE(QApplication::focusWidget(), rig.button("End"));
            rig.key(Qt::Key_Space);
        }
        else {
            QTest::mouseClick(rig.button("End"), Qt::LeftButton);
        }
        QVERIFY(!rig.form->Compiling());
        QVERIFY(rig.button("Start")->isEnabled());
        QCOMPARE(rig.mode(), QByteArray("stopped"));
        QCOMPARE(check(output), DwdReader::FileCheck::Valid);
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

    // Cancel and closing the window throw the capture away: the file goes and the disc stops.
    void cancelAndCloseDeleteTheFile_data()
    {
        QTest::addColumn<bool>("closeWindow");
        QTest::newRow("Cancel") << false;
        QTest::newRow("closing the window") << true;
    }
    void cancelAndCloseDeleteTheFile()
    {
        QFETCH(bool, closeWindow);
        CaptureRig rig;
        rig.editorFile = script("abc");
        QVERIFY(rig.open());
        rig.start();
        rig.pressAt(at(0, 1, 0));
        QVERIFY(QFile::exists(dir.filePath("song.dwd")));
        if (closeWindow)
            rig.form->close();
        else
            QTest::mouseClick(rig.button("Cancel"), Qt::LeftButton);
        QVERIFY(!QFile::exists(dir.filePath("song.dwd")));
        QCOMPARE(rig.device.count("stop cdaudio"), 1);
        QCOMPARE(rig.mode(), QByteArray("stopped"));
        QCOMPARE(rig.windowClosings, closeWindow ? 1 : 0);
        if (closeWindow)
            QTRY_VERIFY(rig.form.isNull());
        else
            QVERIFY(rig.button("Start")->isEnabled());
    }

    void syntaxErrorAtTheTenthPieceDeletesNineRecords()
    {
        CaptureRig rig;
        rig.editorFile = script("abcdefghi[/bogus]j");
        QVERIFY(rig.open());
        rig.start();
        for (int i = 1; i <= 9; ++i)
            rig.pressAt(at(0, i, 0));
        QCOMPARE(records(dir.filePath("song.dwd")).size(), 9);
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
        QCOMPARE(rig.mode(), QByteArray("stopped"));
        QVERIFY(!rig.form->Compiling());
        QVERIFY(rig.button("Start")->isEnabled());
    }

    // The monitor ends the capture when the disc runs into the next track; the file is kept, complete.
    void trackChangeEndsTheCaptureAndKeepsTheFile()
    {
        CaptureRig rig(QStringLiteral("tracks=3,length=0:05"));
        rig.editorFile = script("abcdef");
        QVERIFY(rig.open());
        rig.start();
        rig.tick();
        rig.pressAt(at(0, 1, 0));
        rig.pressAt(at(0, 2, 0));
        for (int i = 0; i < 70 && rig.form->Compiling(); ++i)
            rig.tick();
        QVERIFY(!rig.form->Compiling());
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
        const qint64 size = QFileInfo(dir.filePath("song.dwd")).size();
        QCOMPARE(rig.form->compiler().PendingLineBreaks(), 1);
        for (Qt::Key k : {Qt::Key_A, Qt::Key_Escape, Qt::Key_F1, Qt::Key_Shift, Qt::Key_Backspace, Qt::Key_0})
            rig.key(k);
        QCOMPARE(QFileInfo(dir.filePath("song.dwd")).size(), size);
        QCOMPARE(rig.form->compiler().PendingLineBreaks(), 0);
        const int lineHeight = rig.form->compiler().PreviewCursor().textHeight("A");
        QVERIFY(lineHeight > 0);
        QCOMPARE(rig.form->compiler().PreviewCursor().origin(), QPoint(0, -lineHeight));
        QVERIFY(rig.form->Compiling());
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
        QCOMPARE(QApplication::focusWidget(), rig.button("End"));
        rig.form->setFocus();
        rig.pressAt(at(0, 3, 0));
        QCOMPARE(records(dir.filePath("song.dwd")).size(), 2);
        QVERIFY(rig.form->Compiling());
        QCOMPARE(QApplication::focusWidget(), rig.button("End"));
        rig.key(Qt::Key_Space);
        QVERIFY(!rig.form->Compiling());
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
        rig.form->ReloadScript();
        QVERIFY(rig.form->compiler().ReloadPending());
        QCOMPARE(rig.form->compiler().SourceText(), QByteArray("abc"));
        rig.pressAt(at(0, 2, 0));
        QTest::mouseClick(rig.button("End"), Qt::LeftButton);
        QVERIFY(!rig.form->compiler().ReloadPending());
        QCOMPARE(rig.form->compiler().SourceText(), QByteArray("xyz"));
        QCOMPARE(rig.form->compiler().OutputFileName(), dir.filePath("other.dwd"));
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
            const TextRect area = rig.form->compiler().TextArea();
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
        QTest::mouseClick(rig.button("Cancel"), Qt::LeftButton);
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
        QTest::newRow("editor script unreadable at Start")
            << "unreadable at start"
            << "ソースファイルの読み込みに失敗しました。" << error;
        QTest::newRow("output file exists")
            << "exists" << dir.filePath("song.dwd") + " はすでに存在します。\n上書きしますか？"
            << "ファイルが存在";
        QTest::newRow("output file cannot be created") << "uncreatable"
                                                       << "ファイルのオープンに失敗しました。" << error;
        QTest::newRow("header fails at Start") << "header at start"
                                               << "ヘッダの書き込みに失敗しました。" << error;
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
        CaptureRig rig;
        rig.editorFile = script("abc");
        if (failure.startsWith(QLatin1String("no script"))) {
            rig.editorFile.clear();
            rig.dialogs.answers << QString();
        }
        if (failure == QLatin1String("unreadable"))
            rig.editorFile = dir.filePath("missing.txt");
        if (failure == QLatin1String("preview"))
            rig.editorFile = script("ab[/clear");
        if (failure == QLatin1String("exists"))
            QVERIFY(writeFile(output, "keep me"));
        if (failure == QLatin1String("uncreatable"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("song.dwd")));
        if (failure == QLatin1String("header at start"))
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), output));
        QVERIFY(rig.open());

        if (failure == QLatin1String("unreadable at start")) {
            rig.editorFile.clear();
            rig.form->compiler().ReloadScript(); // the editor closed its file
            rig.editorFile = dir.filePath("missing.txt");
        }
        if (failure == QLatin1String("exists"))
            rig.boxes.answer(BoxButton::Cancel);
        if (failure == QLatin1String("reload")) {
            rig.editorFile = dir.filePath("missing.txt");
            rig.form->ReloadScript();
        }
        else if (!QStringList{"no script", "unreadable", "preview"}.contains(failure)) {
            rig.start();
        }
        if (failure == QLatin1String("twice"))
            rig.form->compiler().StartClick();
        if (failure == QLatin1String("header at end")) {
            rig.pressAt(at(0, 1, 0));
            QVERIFY(fillUpDisk(output));
            QTest::mouseClick(rig.button("End"), Qt::LeftButton);
        }
        if (failure == QLatin1String("record")) {
            rig.pressAt(at(0, 1, 0));
            QVERIFY(fillUpDisk(output));
            rig.pressAt(at(0, 2, 0));
        }

        QVERIFY(!rig.boxes.shown.isEmpty());
        QCOMPARE(rig.boxes.shown.last().text, text);
        QCOMPARE(rig.boxes.shown.last().caption, caption);
        QCOMPARE(rig.boxes.shown.last().icon,
                 failure == QLatin1String("exists") ? BoxIcon::Warning : BoxIcon::Error);
        QCOMPARE(rig.boxes.shown.last().buttons,
                 failure == QLatin1String("exists") ? BoxButtons::OkCancel : BoxButtons::Ok);

        // Only a capture that reached its end leaves a file; after a failed
        // header at End it is kept, but the player refuses it.
        QCOMPARE(rig.form->Compiling(), failure == QLatin1String("twice"));
        if (failure == QLatin1String("exists"))
            QCOMPARE(readFile(output), QByteArray("keep me"));
        else if (failure == QLatin1String("header at end"))
            QCOMPARE(check(output), DwdReader::FileCheck::SizeMismatch);
        else if (failure == QLatin1String("twice"))
            QVERIFY(QFile::exists(output));
        else if (failure != QLatin1String("uncreatable"))
            QVERIFY(!QFileInfo(output).exists() && !QFileInfo(output).isSymLink());
        if (failure == QLatin1String("record"))
            QCOMPARE(rig.mode(), QByteArray("stopped"));
        if (failure.startsWith(QLatin1String("no script"))) {
            QCOMPARE(rig.dialogs.titles,
                     QStringList{QStringLiteral("歌詞ファイルにするテキストファイルを選択")});
            QCOMPARE(rig.dialogs.filters, QStringList{QStringLiteral("テキストファイル（*.txt）|*.txt")});
            QCOMPARE(rig.dialogs.suffixes, QStringList{QStringLiteral("txt")});
        }
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
        rig.editorFile = script(song);
        QVERIFY(rig.open());
        rig.form->move(20, 20);
        QTest::qWait(3 * stepMs);
        rig.start();
        QTest::qWait(stepMs);
        for (int i = 0; i < 12 && rig.form->Compiling(); ++i) {
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
