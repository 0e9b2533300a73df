#include "LyricsRig.h"
#include "core/ColorValue.h"
#include "core/SettingsKeys.h"
#include "lyrics/LyricsPreview.h"
#include "lyrics/format/DwdCommand.h"

#include <QDir>
#include <QFont>
#include <QTest>
#include <sys/stat.h>

namespace {
TrackPosition at(int m, int s, int f)
{
    return {qint16(m), qint16(s), qint16(f)};
}

// The first clock time (ms since the track started) at which the disc is at p.
qint64 msOf(const TrackPosition& p)
{
    const qint64 frames = (qint64(p.minutes) * 60 + p.seconds) * 75 + p.frames;
    return (frames * 1000 + 74) / 75;
}

// Text is smoothed into the white background: grey text leaves pure greys,
// blue text bluish pixels.
int countPixels(const QImage& image, const QRect& rect, bool blue)
{
    int n = 0;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += blue ? c.blue() - c.red() > 40 && c.red() == c.green()
                      : c.red() == c.green() && c.green() == c.blue() && c.red() < 220;
        }
    return n;
}
int grey(const LyricsRig& rig, QRect rect = QRect(0, 0, 4096, 4096))
{
    return countPixels(rig.form()->canvas().image(), rect, false);
}
int blue(const LyricsRig& rig, QRect rect = QRect(0, 0, 4096, 4096))
{
    return countPixels(rig.form()->canvas().image(), rect, true);
}

QByteArray textOf(const ExtendedText& list)
{
    QByteArray text;
    for (qint32 i = 0; i < list.count(); ++i)
        text += list.getItem(i)->text();
    return text;
}

// Three pieces "ab", "cd", "ef" half a second apart; the last one's command
// block holds a "fontsize" of 20, so the record is 16 bytes long.
QList<RawRecord> threePieces()
{
    const QByteArray fontSize20("\x01\x02\x14\x00", 4);
    return {{at(0, 0, 38), QByteArray(1, '\0'), "ab"},
            {at(0, 0, 37), QByteArray(1, '\0'), "cd"},
            {at(0, 0, 38), fontSize20, "ef"}};
}

const QString Header = QStringLiteral("ヘッダを読み込めません。");
const QString Broken = QStringLiteral("このDWDファイルは壊れています。");
const QString SizeMismatch = QStringLiteral("このDWDファイルは壊れています。\n（ファイルサイズの不一致）");
} // namespace

Q_DECLARE_METATYPE(BoxButton)

// A play that loads the lyrics of its track, and the ticks that step through them,
// on the simulated disc with real lyrics files and a real display window.
class tst_LyricsPlayback : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    }

    void preTextTurnsBlueOnTime()
    {
        LyricsRig rig;
        rig.relate(1,
                   rig.compiled(QStringLiteral("song.dwd"), "[Hello] [world]", {at(0, 1, 0), at(0, 2, 0)}));
        rig.play(1);
        QVERIFY(rig.boxes.shown.isEmpty());
        QVERIFY(rig.form() && rig.form()->isVisible());
        QCOMPARE(rig.form()->windowTitle(), QStringLiteral("Words display"));
        QVERIFY(grey(rig) > 20);
        QCOMPARE(blue(rig), 0);

        while (rig.clock.nowMs() + 50 < msOf(at(0, 1, 0)))
            rig.tick();
        QCOMPARE(blue(rig), 0);
        rig.tick(); // the first tick at or after the piece's time draws it
        const int split = rig.lyrics.writePos.x();
        QVERIFY(split > 10);
        QVERIFY(blue(rig, QRect(0, 0, split, 20)) > 10);
        QCOMPARE(blue(rig, QRect(split, 0, 400, 20)), 0);
        QVERIFY(grey(rig, QRect(split, 0, 400, 20)) > 10);

        rig.runUntil(msOf(at(0, 2, 0)));
        QCOMPARE(grey(rig), 0);
        QVERIFY(blue(rig, QRect(split, 0, 400, 20)) > 10);
        rig.tick();
        QVERIFY(!rig.reading().wordsActive);
        QVERIFY(blue(rig) > 20); // what was sung stays on screen
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray valid = LyricsRig::rawBytes(threePieces());
        QByteArray dwx = valid;
        dwx[2] = 'X';
        QByteArray oneOff = valid;
        oneOff[7] = char(oneOff[7] + 1);
        QByteArray unfinished = valid;
        qToLittleEndian<quint32>(7, unfinished.data() + 7);
        QTest::newRow("header shorter than 11 bytes") << valid.left(10) << Header;
        QTest::newRow("empty file") << QByteArray() << Header;
        QTest::newRow("signature DWX") << dwx << Broken;
        QTest::newRow("stored size one byte off") << oneOff << SizeMismatch;
        QTest::newRow("unfinished capture: size 7 with records") << unfinished << SizeMismatch;
    }

    // Playback goes on; only the lyrics are refused, and a tick inside the
    // box finds nothing to draw.
    void refusedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        LyricsRig rig;
        rig.relate(1, rig.file(QStringLiteral("good.dwd"), LyricsRig::rawBytes(threePieces())));
        const QString bad = rig.file(QStringLiteral("bad.dwd"), bytes);
        rig.relate(2, bad);
        rig.play(1);
        rig.runUntil(700);
        QCOMPARE(rig.written(), QByteArray("ab"));

        rig.boxes.whileOpen([&] { rig.runUntil(3000); });
        rig.play(2);
        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.boxes.shown[0].caption, QStringLiteral("ERROR"));
        QCOMPARE(rig.boxes.shown[0].text, message);
        QCOMPARE(rig.boxes.shown[0].icon, BoxIcon::Error);
        QCOMPARE(rig.boxes.shown[0].buttons, BoxButtons::Ok);
        QVERIFY(!rig.reading().wordsActive);
        QVERIFY(!rig.reading().WordsFile);
        QCOMPARE(rig.lyrics.writtenText_.count(), 0);
        QVERIFY(rig.form());
        QCOMPARE(grey(rig) + blue(rig), 0); // the previous track's page is gone
        QCOMPARE(rig.related(2), bad);
        rig.runUntil(5000);
        QCOMPARE(rig.lyrics.writtenText_.count(), 0);
        ReplyBuffer mode;
        rig.drive.sendCommand("status cdaudio mode wait", mode);
        QCOMPARE(mode.toByteArray(), QByteArray("playing"));
    }

    void missingFile_data()
    {
        QTest::addColumn<BoxButton>("answer");
        QTest::addColumn<bool>("deletedMeanwhile");
        QTest::addColumn<bool>("kept");
        QTest::newRow("OK deletes the association") << BoxButton::Ok << false << false;
        QTest::newRow("Cancel keeps the association") << BoxButton::Cancel << false << true;
        QTest::newRow("deletion failing says Miss") << BoxButton::Ok << true << false;
    }

    void missingFile()
    {
        QFETCH(BoxButton, answer);
        QFETCH(bool, deletedMeanwhile);
        QFETCH(bool, kept);
        LyricsRig rig;
        const QString name = rig.files.filePath(QStringLiteral("gone.dwd"));
        rig.relate(3, name);
        rig.boxes.answer(answer);
        if (deletedMeanwhile)
            rig.boxes.whileOpen([&] {
                rig.store.openKey(SettingsKeys::relationKey(rig.identity), false)->deleteValue("[3]");
            });
        rig.play(3);

        QCOMPARE(rig.boxes.shown.size(), deletedMeanwhile ? 2 : 1);
        QCOMPARE(rig.boxes.shown[0].caption, QStringLiteral("Warning"));
        QCOMPARE(rig.boxes.shown[0].text, LyricsPlayback::missingFileMessage());
        QCOMPARE(rig.boxes.shown[0].icon, BoxIcon::Warning);
        QCOMPARE(rig.boxes.shown[0].buttons, BoxButtons::OkCancel);
        if (deletedMeanwhile) {
            QCOMPARE(rig.boxes.shown[1].caption, QStringLiteral("Miss"));
            QCOMPARE(rig.boxes.shown[1].text, QStringLiteral("関連付けの削除に失敗しました。"));
            QCOMPARE(rig.boxes.shown[1].icon, BoxIcon::Warning);
            QCOMPARE(rig.boxes.shown[1].buttons, BoxButtons::Ok);
        }
        QCOMPARE(rig.related(3), kept ? name : QString());
        QVERIFY(!rig.reading().wordsActive);
        QVERIFY(!rig.form());
    }

    // Something that is there but is no file is refused with its own box, even
    // if the user would answer OK, and the association stays.
    void notAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder") << QStringLiteral("folder");
        QTest::newRow("a pipe") << QStringLiteral("fifo");
    }
    void notAFile()
    {
        QFETCH(QString, kind);
        LyricsRig rig;
        const QString name = rig.files.filePath(QStringLiteral("odd.dwd"));
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(name));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0600), 0);
        rig.relate(3, name);
        rig.boxes.answer(BoxButton::Ok);
        rig.play(3);

        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.boxes.shown[0].caption, QStringLiteral("ERROR"));
        QCOMPARE(rig.boxes.shown[0].text, LyricsPlayback::notAFileMessage());
        QCOMPARE(rig.boxes.shown[0].icon, BoxIcon::Error);
        QCOMPARE(rig.boxes.shown[0].buttons, BoxButtons::Ok);
        QCOMPARE(rig.related(3), name);
        QVERIFY(!rig.reading().wordsActive);
    }

    // A tick inside the box finds the previous file's record still marked
    // pending after the stop destroyed the window it was drawn on.
    void tickInsideMissingFileBoxDrawsNothing()
    {
        LyricsRig rig;
        rig.relate(1, rig.file(QStringLiteral("good.dwd"), LyricsRig::rawBytes(threePieces())));
        rig.relate(2, rig.files.filePath(QStringLiteral("gone.dwd")));
        rig.play(1);
        rig.runUntil(700);
        QVERIFY(rig.reading().recordPending);
        rig.transport.stop();
        QVERIFY(!rig.form());

        rig.boxes.answer(BoxButton::Cancel);
        rig.boxes.whileOpen([&] {
            rig.runUntil(4000);
            QCOMPARE(rig.lyrics.writtenText_.count(), 0);
            QVERIFY(!rig.lyrics.cursor.canvas());
        });
        rig.play(2);
        QCOMPARE(rig.boxes.shown.size(), 1);
        QVERIFY(!rig.reading().wordsActive);
        QVERIFY(!rig.form());
        QCOMPARE(rig.lyrics.writtenText_.count(), 0);
    }

    // The picture and texts stay, but the old lyrics stop stepping: their
    // times belong to the previous track, not to the one now playing.
    void identityFailureKeepsTheLyrics()
    {
        LyricsRig rig;
        const QString first = rig.file(QStringLiteral("good.dwd"), LyricsRig::rawBytes(threePieces()));
        rig.relate(1, first);
        rig.play(1);
        rig.runUntil(700);
        LyricsWindow* form = rig.form();
        rig.drive.identityFails = true;
        rig.play(2);
        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.boxes.shown[0].caption, QStringLiteral("ERROR"));
        QCOMPARE(rig.boxes.shown[0].text,
                 QStringLiteral("ＣＤの情報が得られません。\n歌詞は表示できません。"));
        QCOMPARE(rig.boxes.shown[0].icon, BoxIcon::Error);
        QVERIFY(!rig.reading().wordsActive);
        QCOMPARE(rig.reading().WordsFile->fileName(), first);
        QCOMPARE(rig.form(), form);
        QCOMPARE(rig.written(), QByteArray("ab"));
        rig.runUntil(5000);
        QCOMPARE(rig.written(), QByteArray("ab"));
    }

    void noLyricsShown_data()
    {
        QTest::addColumn<bool>("wordsOn");
        QTest::addColumn<bool>("capturing");
        QTest::addColumn<bool>("related");
        QTest::newRow("lyrics button up") << false << false << true;
        QTest::newRow("timing capture running") << true << true << true;
        QTest::newRow("track not related") << true << false << false;
    }

    void noLyricsShown()
    {
        QFETCH(bool, wordsOn);
        QFETCH(bool, capturing);
        QFETCH(bool, related);
        LyricsRig rig;
        if (related)
            rig.relate(1, rig.file(QStringLiteral("good.dwd"), LyricsRig::rawBytes(threePieces())));
        rig.controls.wordsOn = wordsOn;
        rig.capturing = capturing;
        rig.play(1);
        rig.runUntil(2000);
        QVERIFY(!rig.form());
        QVERIFY(!rig.reading().wordsActive);
        QVERIFY(rig.boxes.shown.isEmpty());
        QCOMPARE(rig.lyrics.writtenText_.count(), 0);
    }

    void headerOnlyFileEndsAtTheFirstTick()
    {
        LyricsRig rig;
        const QString name = rig.compiled(QStringLiteral("empty.dwd"), "abc", {});
        QCOMPARE(QFileInfo(name).size(), 11);
        rig.relate(1, name);
        rig.play(1);
        QVERIFY(rig.boxes.shown.isEmpty());
        QVERIFY(rig.form() && rig.form()->isVisible());
        QCOMPARE(grey(rig) + blue(rig), 0);
        QVERIFY(rig.reading().wordsActive);
        rig.tick();
        QVERIFY(rig.reading().wordsEnded);
        rig.tick();
        QVERIFY(!rig.reading().wordsActive);
        QVERIFY(rig.form());
    }

    void nextTrackReplacesTheDisplayContent()
    {
        LyricsRig rig;
        rig.relate(1, rig.file(QStringLiteral("one.dwd"), LyricsRig::rawBytes(threePieces())));
        const QString second =
            rig.compiled(QStringLiteral("two.dwd"), "[Second] [song]", {at(0, 9, 0), at(0, 10, 0)});
        rig.relate(2, second);
        rig.play(1);
        rig.runUntil(1200);
        QVERIFY(blue(rig) > 0);
        LyricsWindow* form = rig.form();

        rig.play(2);
        rig.tick();
        QCOMPARE(rig.form(), form);
        QCOMPARE(rig.positionLoads, 2);
        QCOMPARE(rig.reading().WordsFile->fileName(), second);
        QCOMPARE(textOf(rig.lyrics.shownPreText_), QByteArray("Second song"));
        QCOMPARE(rig.lyrics.writtenText_.count(), 0);
        QVERIFY(grey(rig) > 20);
        QCOMPARE(blue(rig), 0);
    }

    void stopAndSwitchOff_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("stop releases everything") << 0;
        QTest::newRow("switching off removes the window at once") << 1;
        QTest::newRow("closing the main window saves no position") << 2;
    }

    void stopAndSwitchOff()
    {
        QFETCH(int, how);
        const bool stop = how != 1;
        LyricsRig rig;
        rig.relate(1, rig.file(QStringLiteral("good.dwd"), LyricsRig::rawBytes(threePieces())));
        rig.play(1);
        rig.runUntil(700);
        if (how == 0) {
            rig.transport.stop();
        }
        else if (how == 1) {
            rig.controls.wordsOn = false;
            rig.playback.wordsOff();
        }
        else {
            rig.playback.closeAtExit();
        }
        QVERIFY(!rig.form());
        QCOMPARE(rig.positionSaves, how == 2 ? 0 : 1);
        QVERIFY(!rig.reading().wordsActive);
        QVERIFY(!rig.lyrics.cursor.canvas());
        QCOMPARE(bool(rig.reading().WordsFile), !stop);
        QCOMPARE(rig.lyrics.pages.empty(), stop);
        rig.runUntil(3000);
        QCOMPARE(rig.written(), stop ? QByteArray() : QByteArray("ab"));
    }

    // Pieces closer together than a tick are all drawn at the first tick at
    // which they are due, in order, each with its commands.
    void recordsDueInOneTickAreAllDrawnInIt()
    {
        LyricsRig rig;
        rig.relate(1, rig.compiled(QStringLiteral("fast.dwd"), "ab[/fontsize(20)]c[/setcursor(0,40)]de",
                                   {at(0, 1, 1), at(0, 1, 2), at(0, 1, 3), at(0, 1, 3), at(0, 9, 0)}));
        rig.play(1);
        rig.runUntil(1000); // 0:01:00
        QCOMPARE(rig.written(), QByteArray());
        rig.tick(); // 0:01:03: the first four are due
        QCOMPARE(rig.written(), QByteArray("abcd"));
        QCOMPARE(rig.lyrics.writtenText_.count(), 4);
        qint32 size = 0, x = 0, y = 0;
        QVERIFY(rig.lyrics.writtenText_.getItem(2)->getSize(size));
        QCOMPARE(size, 20);
        QVERIFY(rig.lyrics.writtenText_.getItem(3)->getPos(x, y));
        QCOMPARE(QPoint(x, y), QPoint(0, 40));
        QCOMPARE(rig.reading().nextRecordTime, at(0, 9, 0));
    }

    void runningTimeCarries_data()
    {
        QTest::addColumn<TrackPosition>("first");
        QTest::addColumn<TrackPosition>("delta");
        QTest::addColumn<TrackPosition>("expected");
        QTest::newRow("frames carry into a second") << at(0, 10, 70) << at(0, 0, 74) << at(0, 11, 69);
        QTest::newRow("seconds carry into a minute") << at(0, 59, 10) << at(0, 1, 0) << at(1, 0, 10);
        QTest::newRow("both carry") << at(0, 59, 74) << at(0, 0, 1) << at(1, 0, 0);
        QTest::newRow("the disc went backwards") << at(1, 10, 0) << at(-1, 55, 0) << at(1, 5, 0);
    }

    // Each record is drawn at the first tick at which the disc has reached its
    // running time, and never before the record ahead of it.
    void runningTimeCarries()
    {
        QFETCH(TrackPosition, first);
        QFETCH(TrackPosition, delta);
        QFETCH(TrackPosition, expected);
        LyricsRig rig(QStringLiteral("tracks=2,length=4:00"));
        rig.relate(
            1, rig.file(QStringLiteral("t.dwd"), LyricsRig::rawBytes({{first, QByteArray(1, '\0'), "a"},
                                                                      {delta, QByteArray(1, '\0'), "b"}})));
        rig.play(1);
        QCOMPARE(rig.reading().nextRecordTime, first);
        qint64 aDrawn = -1;
        while (rig.written() != "ab" && rig.clock.nowMs() < 300000) {
            rig.tick();
            if (aDrawn < 0 && !rig.written().isEmpty())
                aDrawn = rig.clock.nowMs();
        }
        QCOMPARE(rig.reading().nextRecordTime, expected);
        const auto firstTickAt = [](qint64 ms) { return (ms + 49) / 50 * 50; };
        QCOMPARE(aDrawn, firstTickAt(msOf(first)));
        QCOMPARE(rig.clock.nowMs(), qMax(aDrawn, firstTickAt(msOf(expected))));
    }

    // "ab", then a "clear" with "cd": the last piece of the first page stays
    // sung for 200 ms, or until the next page's first piece is due if sooner.
    void lastPieceOfAPageIsSeenSung_data()
    {
        QTest::addColumn<TrackPosition>("lastPiece");
        QTest::addColumn<TrackPosition>("nextPage");
        QTest::addColumn<qint64>("sungAt");
        QTest::addColumn<qint64>("turnedAt");
        QTest::addColumn<qint64>("nextSungAt");
        QTest::newRow("next page a second later: 200 ms")
            << at(0, 2, 0) << at(0, 3, 0) << qint64(2000) << qint64(2200) << qint64(3000);
        QTest::newRow("last piece drawn late: 200 ms from when it was drawn")
            << at(0, 1, 74) << at(0, 3, 0) << qint64(2000) << qint64(2200) << qint64(3000);
        QTest::newRow("next piece due after 100 ms: the page turns then")
            << at(0, 2, 0) << at(0, 2, 8) << qint64(2000) << qint64(2150) << qint64(2150);
        // Both are drawn, in order, at the same tick: only the second is seen.
        QTest::newRow("both due in one tick: the next page is up when due")
            << at(0, 1, 74) << at(0, 2, 0) << qint64(-1) << qint64(2000) << qint64(2000);
    }

    void lastPieceOfAPageIsSeenSung()
    {
        QFETCH(TrackPosition, lastPiece);
        QFETCH(TrackPosition, nextPage);
        QFETCH(qint64, sungAt);
        QFETCH(qint64, turnedAt);
        QFETCH(qint64, nextSungAt);
        LyricsRig rig;
        rig.relate(1, rig.compiled(QStringLiteral("pages.dwd"), "[a][b][/clear][c][d]",
                                   {at(0, 1, 0), lastPiece, nextPage, at(0, 9, 0)}));
        rig.play(1);
        qint64 sung = -1, turned = -1, nextSung = -1;
        while (rig.clock.nowMs() < 4000) {
            rig.tick();
            const qint64 now = rig.clock.nowMs();
            if (sung < 0 && rig.written().endsWith('b'))
                sung = now;
            if (turned < 0 && rig.lyrics.PageIndex == 1)
                turned = now;
            if (nextSung < 0 && rig.written() == "c")
                nextSung = now;
            // Until the page turns, the last piece is on screen in the sung colour.
            if (sung >= 0 && turned < 0)
                QVERIFY2(blue(rig, QRect(rig.lyrics.writePos.x() - 6, 0, 6, 14)) > 0,
                         qPrintable(QString::number(now)));
        }
        QCOMPARE(sung, sungAt);
        QCOMPARE(turned, turnedAt);
        QCOMPARE(nextSung, nextSungAt);
    }

    // A box of the load is open when the monitor starts the next track: the
    // next track's play loads its own lyrics inside it, and answering the box
    // leaves them running.
    void nestedPlayKeepsItsLyrics_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::newRow("missing file box") << true;
        QTest::newRow("broken file box") << false;
    }

    void nestedPlayKeepsItsLyrics()
    {
        QFETCH(bool, missing);
        LyricsRig rig(QStringLiteral("tracks=3,lengths=0:02;3:00;3:00"));
        rig.relate(1, missing ? rig.files.filePath(QStringLiteral("gone.dwd"))
                              : rig.file(QStringLiteral("bad.dwd"), QByteArray("DWX")));
        const QString second =
            rig.compiled(QStringLiteral("two.dwd"), "[Second] [song]", {at(0, 1, 0), at(0, 2, 0)});
        rig.relate(2, second);
        rig.boxes.answer(BoxButton::Cancel);
        rig.boxes.whileOpen([&] {
            rig.runUntil(2500); // track 2 starts at 2 s, inside the box
            QCOMPARE(rig.state.currentTrack, 2);
            QVERIFY(rig.reading().wordsActive);
        });
        rig.play(1);
        QCOMPARE(rig.boxes.shown.size(), 1);
        QVERIFY(rig.reading().wordsActive);
        QVERIFY(rig.reading().WordsFile);
        QCOMPARE(rig.reading().WordsFile->fileName(), second);
        QVERIFY(rig.form());
        QCOMPARE(textOf(rig.lyrics.shownPreText_), QByteArray("Second song"));
        rig.runUntil(5000); // 3 s into track 2
        QCOMPARE(rig.written(), QByteArray("Second song"));
        QVERIFY(blue(rig) > 20);
    }

    // Fonts and colours of one track never reach the next: its picture is the
    // one its lyrics give when played on their own.
    void nextTrackStartsFromTheWindowDefaults()
    {
        LyricsRig rig;
        rig.relate(1, rig.compiled(QStringLiteral("loud.dwd"),
                                   "[/backcolor(0,0,64)][/fontsize(24)][/fontcolor(255,0,0)][Loud] "
                                   "[/fontprecolor(0,200,0)][song]",
                                   {at(0, 0, 30), at(0, 0, 60)}));
        const QString second =
            rig.compiled(QStringLiteral("quiet.dwd"), "[Quiet] [song]", {at(0, 1, 0), at(0, 2, 0)});
        rig.relate(2, second);
        rig.play(1);
        rig.runUntil(1500);
        QCOMPARE(rig.written(), QByteArray("Loud song"));

        rig.play(2);
        LyricsPreview alone;
        QString error;
        QVERIFY(alone.open(second, error));
        const qint64 start = rig.clock.nowMs();
        for (const int ms : {0, 1000, 1500, 2500}) {
            rig.runUntil(start + ms);
            alone.runTo(LyricsPreview::positionAt(ms));
            QCOMPARE(rig.form()->canvas().image(), alone.image());
        }
    }

    // The window shows what `ondel-dwd render` draws, at every tick, whatever
    // redraws the window makes meanwhile.
    void windowShowsThePreview_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("every command")
            << QByteArray("[/formsize(400,200)][/backcolor(250,250,230)][/setcursor(8,8)][Kara] [oke]\r\n"
                          "[/fontsize(16)][/fontprecolor(0,128,0)][big] [/fontsize(9)][small]\r\n"
                          "[/fontcolor(255,0,0)][red][/writepre] [/pausepre][more]\r\n"
                          "[/clear][/setcursor(20,20)][page] [two]");
        QTest::newRow("dense pieces over a page turn")
            << QByteArray("abcdefghij\r\nklmno[/clear]pqrst\r\nuvwxyz");
    }

    void windowShowsThePreview()
    {
        QFETCH(QByteArray, script);
        QList<TrackPosition> presses;
        for (int i = 0; i < 30; ++i)
            presses << at(0, 1 + i / 5, (i % 5) * 7);
        LyricsRig rig;
        const QString name = rig.compiled(QStringLiteral("song.dwd"), script, presses);
        rig.relate(1, name);
        LyricsPreview preview;
        QString error;
        QVERIFY(preview.open(name, error));
        rig.play(1);
        while (rig.clock.nowMs() < 8000) {
            rig.tick();
            if (rig.clock.nowMs() % 350 == 0) { // a click on the window activates it
                QEvent activate(QEvent::WindowActivate);
                QCoreApplication::sendEvent(rig.form(), &activate);
            }
            preview.runTo(LyricsPreview::positionAt(rig.clock.nowMs()));
            QCOMPARE(preview.lastTick(), LyricsPreview::positionAt(rig.clock.nowMs()));
            QCOMPARE(rig.form()->canvas().image(), preview.image());
        }
    }

    // Between ticks the player wakes when a piece is due by the sound clock,
    // and while a wipe fills once a frame, never otherwise; each frame drawn
    // is what `ondel-dwd render` draws at its moment (frames whose moment
    // falls before a tick already run cannot be rendered alone).
    void wakesDrawOnTheFrameDue_data()
    {
        QTest::addColumn<bool>("wipe");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("minReached");
        const QByteArray everyCommand(
            "[/formsize(400,200)][/setcursor(8,8)][Kara] [oke]\r\n[/fontsize(16)][big] "
            "[/fontsize(9)][small]\r\n"
            "[/fontcolor(255,0,0)][red] [/pausepre][more]\r\n[/clear][/setcursor(20,20)][page] [two]");
        const QByteArray dense("abcdefghij\r\nklmno[/clear]pqrst\r\nuvwxyz");
        QTest::newRow("all at once, every command") << false << everyCommand << 6;
        QTest::newRow("wipe, every command") << true << everyCommand << 6;
        QTest::newRow("all at once, dense pieces over a page turn") << false << dense << 20;
        QTest::newRow("wipe, dense pieces over a page turn") << true << dense << 20;
    }

    void wakesDrawOnTheFrameDue()
    {
        QFETCH(bool, wipe);
        QFETCH(QByteArray, script);
        QFETCH(int, minReached);
        QList<TrackPosition> presses;
        for (int i = 0; i < 30; ++i)
            presses << at(0, 1 + i / 5, (i % 5) * 7);
        LyricsRig rig;
        const QString name = rig.compiled(QStringLiteral("song.dwd"), script, presses);
        rig.relate(1, name);
        rig.lyrics.setWipe(wipe);
        rig.playback.setClock(rig.clock);
        LyricsPreview preview;
        preview.setWipe(wipe);
        QString error;
        QVERIFY(preview.open(name, error));
        rig.play(1);

        qint64 nextTick = rig.clock.nowMs() + LyricsPreview::TickMs;
        qint64 lastTick = 0;
        int frames = 0, reached = 0, compared = 0;
        while (rig.clock.nowMs() < 6000) {
            const std::optional<qint64> wake = rig.playback.nextWakeMs();
            if (!wake || *wake >= nextTick) {
                rig.clock.set(nextTick);
                rig.monitor.onTick();
                lastTick = nextTick;
                nextTick += LyricsPreview::TickMs;
                continue;
            }
            rig.clock.set(*wake);
            const TrackPosition due = rig.reading().nextRecordTime;
            const bool pending = rig.reading().recordPending;
            const bool filling = rig.lyrics.wipeEndMs().has_value();
            rig.playback.wake();
            ++frames;
            if (pending && (!rig.reading().recordPending || !(rig.reading().nextRecordTime == due))) {
                const qint64 lag = *wake - LyricsStepper::dueMs(due);
                QVERIFY2(lag >= 0 && lag <= 13, qPrintable(QString::number(lag)));
                ++reached;
            }
            else {
                QVERIFY2(filling, "a wake draws a piece or a frame of a wipe");
            }
            if (rig.playback.lastWakeTrackMs() >= lastTick) {
                preview.runToMs(rig.playback.lastWakeTrackMs());
                QCOMPARE(rig.form()->canvas().image(), preview.image());
                ++compared;
            }
        }
        QVERIFY(reached >= minReached);
        QVERIFY(compared > frames * 3 / 4);
        if (wipe)
            QVERIFY(frames > 5 * reached);
        else
            QCOMPARE(frames, reached);
    }

    void emptyTextIsDrawnAsNothing()
    {
        const QByteArray red("\x01\x03\xff\x00\x00\x00\x00\x00", 8);
        LyricsRig rig;
        rig.relate(1, rig.file(QStringLiteral("e.dwd"),
                               LyricsRig::rawBytes({{at(0, 1, 0), QByteArray(1, '\0'), "a"},
                                                    {at(0, 1, 0), red, ""},
                                                    {at(0, 1, 0), QByteArray(1, '\0'), "b"}})));
        rig.play(1);
        rig.runUntil(1000);
        // Its command acts as soon as the record is read, right after "a" was drawn.
        QCOMPARE(rig.lyrics.fontColor_, ColorValue::fromArguments(255, 0, 0));
        const QPoint afterA = rig.lyrics.writePos;
        rig.runUntil(2000);
        QCOMPARE(rig.written(), QByteArray("a"));
        QCOMPARE(rig.lyrics.writePos, afterA);
        QVERIFY(rig.reading().recordPending); // "b" was read at the same tick
        rig.runUntil(3000);
        QCOMPARE(rig.written(), QByteArray("ab"));
    }

    void fileCutInsideARecord_data()
    {
        QTest::addColumn<int>("before"); // complete records before the cut one
        QTest::addColumn<int>("cut");    // bytes of the cut record that remain
        QTest::addColumn<QByteArray>("sung");
        QTest::newRow("inside the time delta") << 2 << 3 << QByteArray("abcd");
        QTest::newRow("before the command count") << 2 << 6 << QByteArray("abcd");
        QTest::newRow("inside a command's arguments") << 2 << 8 << QByteArray("abcd");
        QTest::newRow("before the text length") << 2 << 10 << QByteArray("abcd");
        QTest::newRow("inside the text length") << 2 << 12 << QByteArray("abcd");
        QTest::newRow("inside the text") << 2 << 15 << QByteArray("abcd");
        QTest::newRow("first record cut in its arguments") << 0 << 8 << QByteArray();
    }

    void fileCutInsideARecord()
    {
        QFETCH(int, before);
        QFETCH(int, cut);
        QFETCH(QByteArray, sung);
        const QList<RawRecord> records = threePieces();
        const QByteArray head = LyricsRig::rawBytes(records.mid(0, before));
        QByteArray bytes = LyricsRig::rawBytes(records.mid(0, before) << records[2]);
        bytes = LyricsRig::sized(bytes.left(head.size() + cut));
        LyricsRig rig;
        rig.relate(1, rig.file(QStringLiteral("cut.dwd"), bytes));
        rig.play(1);
        QVERIFY(rig.form());
        QCOMPARE(textOf(rig.lyrics.shownPreText_), sung);
        rig.runUntil(4000);
        QVERIFY(rig.boxes.shown.isEmpty());
        QCOMPARE(rig.written(), sung);
        QVERIFY(rig.reading().wordsEnded);
        QVERIFY(!rig.reading().wordsActive);
        QCOMPARE(blue(rig) > 0, !sung.isEmpty());
    }
};

QTEST_MAIN(tst_LyricsPlayback)
#include "tst_LyricsPlayback.moc"
