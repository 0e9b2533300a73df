#include "PlayerHarness.h"

#include <QTest>

namespace {
// Plays of 0 in the expectation stand for "any track of the disc" (random mode).
bool playsMatch(const QList<int>& actual, const QList<int>& expected, int trackCount)
{
    if (actual.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (expected[i] == 0 ? (actual[i] < 1 || actual[i] > trackCount) : actual[i] != expected[i])
            return false;
    }
    return true;
}

QString describe(const QList<int>& plays)
{
    QStringList tracks;
    for (int track : plays)
        tracks.append(QString::number(track));
    return QStringLiteral("plays: ") + tracks.join(QLatin1Char(' '));
}

// While the lyrics of a play load, a box is open and one timer tick runs inside it.
void tickInsideLyricsBox(PlayerHarness& h)
{
    h.controls.onLoadLyrics = [&h, depth = 0]() mutable {
        if (depth > 0)
            return;
        ++depth;
        h.tick();
        --depth;
    };
}
} // namespace

class tst_PlaybackMonitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void trackChange_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("nested");
        QTest::addColumn<QList<int>>("plays");
        QTest::addColumn<int>("currentTrack"); // 0: the track of the last play

        for (const bool nested : {false, true}) {
            const char* suffix = nested ? ", tick nested in a lyrics box" : "";
            QTest::addRow("normal, 3 into 4 plays 4 once%s", suffix) << 0 << nested << QList<int>{3, 4} << 4;
            QTest::addRow("one-track repeat, 3 into 4 replays 3 once%s", suffix)
                << 1 << nested << QList<int>{3, 3} << 3;
            QTest::addRow("repeat all, 3 into 4 plays 4 once%s", suffix)
                << 2 << nested << QList<int>{3, 4} << 4;
            QTest::addRow("random, 3 into 4 plays one drawn track%s", suffix)
                << 3 << nested << QList<int>{3, 0} << 0;
        }
    }

    // Five tracks of two seconds; track 3 plays into track 4 at 2 s and the
    // monitor runs on for another second.
    void trackChange()
    {
        QFETCH(int, mode);
        QFETCH(bool, nested);
        QFETCH(QList<int>, plays);
        QFETCH(int, currentTrack);

        PlayerHarness h(QStringLiteral("tracks=5,length=0:02"));
        if (nested)
            tickInsideLyricsBox(h);
        h.transport.setPlayMode(PlayMode(mode));
        h.playTrack(3);
        h.run(3000);

        QVERIFY2(playsMatch(h.plays(), plays, 5), qPrintable(describe(h.plays())));
        QCOMPARE(h.state.currentTrack, currentTrack ? currentTrack : h.plays().last());
        QCOMPARE(h.count("stop cdaudio"), 0);
        QVERIFY(!h.state.trackChangeLatch);
    }

    void endOfPlay_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("nested");
        QTest::addColumn<int>("userStopAt"); // ms after the start, or -1
        QTest::addColumn<QList<int>>("plays");
        QTest::addColumn<int>("stops");

        for (const bool nested : {false, true}) {
            const char* suffix = nested ? ", tick nested in a lyrics box" : "";
            QTest::addRow("normal end runs StopClick%s", suffix) << 0 << nested << -1 << QList<int>{3} << 1;
            QTest::addRow("one-track repeat replays the last track%s", suffix)
                << 1 << nested << -1 << QList<int>{3, 3} << 0;
            QTest::addRow("repeat all wraps to track 1%s", suffix)
                << 2 << nested << -1 << QList<int>{3, 1} << 0;
            QTest::addRow("random plays a drawn track%s", suffix)
                << 3 << nested << -1 << QList<int>{3, 0} << 0;
        }
        QTest::newRow("repeat all after the user stopped stays stopped")
            << 2 << false << 1000 << QList<int>{3} << 1;
        QTest::newRow("one-track repeat after the user stopped stays stopped")
            << 1 << false << 1000 << QList<int>{3} << 1;
        QTest::newRow("random after the user stopped stays stopped")
            << 3 << false << 1000 << QList<int>{3} << 1;
        QTest::newRow("normal after the user stopped stops again")
            << 0 << false << 1000 << QList<int>{3} << 2;
    }

    // The last of three two-second tracks ends (or the user stops it).
    void endOfPlay()
    {
        QFETCH(int, mode);
        QFETCH(bool, nested);
        QFETCH(int, userStopAt);
        QFETCH(QList<int>, plays);
        QFETCH(int, stops);

        PlayerHarness h(QStringLiteral("tracks=3,length=0:02"));
        if (nested)
            tickInsideLyricsBox(h);
        h.transport.setPlayMode(PlayMode(mode));
        h.playTrack(3);
        for (int t = 50; t < 3000; t += 50) {
            if (t == userStopAt)
                h.transport.stop();
            h.tick();
        }

        QVERIFY2(playsMatch(h.plays(), plays, 3), qPrintable(describe(h.plays())));
        QCOMPARE(h.count("stop cdaudio"), stops);
        QCOMPARE(h.controls.lyricsReleases, stops);
        QCOMPARE(h.controls.captureEnds, 1);
        QCOMPARE(h.state.userStopped, plays.size() == 1);
    }

    void ffWhilePlayingIsNoTrackEnd_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("normal") << 0;
        QTest::newRow("one-track repeat") << 1;
        QTest::newRow("repeat all") << 2;
        QTest::newRow("random") << 3;
    }

    void ffWhilePlayingIsNoTrackEnd()
    {
        QFETCH(int, mode);
        PlayerHarness h(QStringLiteral("tracks=5,length=0:10"));
        h.transport.setPlayMode(PlayMode(mode));
        h.playTrack(1);
        h.run(500);
        h.transport.fastForward();
        h.run(2000);

        QCOMPARE(h.plays(), (QList<int>{1, 2}));
        QCOMPARE(h.state.currentTrack, 2);
        QVERIFY(!h.state.trackChangeLatch);
        QCOMPARE(h.controls.digits.left(2), QByteArray("02"));
    }

    void digits_data()
    {
        QTest::addColumn<QString>("disc");
        QTest::addColumn<int>("track");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("atMs");
        QTest::addColumn<bool>("showLengths");
        QTest::addColumn<QByteArray>("digits");

        const QString three = QStringLiteral("lengths=1:00;2:34;3:00");
        QTest::newRow("playing track 3 at 1:07 shows the position")
            << three << 3 << true << 67000 << false << QByteArray("030107");
        QTest::newRow("playing with lengths shows the track's length")
            << three << 2 << true << 5000 << true << QByteArray("020234");
        QTest::newRow("stopped on track 5 shows 05 and zeros")
            << three << 5 << false << 0 << false << QByteArray("050000");
        QTest::newRow("stopped on track 12 shows both digits")
            << three << 12 << false << 0 << false << QByteArray("120000");
        QTest::newRow("stopped on a three-digit track shows zeros")
            << three << 100 << false << 0 << false << QByteArray("000000");
        QTest::newRow("stopped with lengths on 8 tracks: 8, a blank, the disc length")
            << QStringLiteral("tracks=8,length=3:00") << 1 << false << 0 << true
            << QByteArray("8\0"
                          "2400",
                          6);
    }

    void digits()
    {
        QFETCH(QString, disc);
        QFETCH(int, track);
        QFETCH(bool, playing);
        QFETCH(int, atMs);
        QFETCH(bool, showLengths);
        QFETCH(QByteArray, digits);

        PlayerHarness h(disc);
        if (playing)
            h.playTrack(track);
        else
            h.state.currentTrack = track;
        h.clock.advance(atMs);
        h.state.showLengths = showLengths;
        h.tick();
        QCOMPARE(h.controls.digits, digits);
    }

    void minimisedTitle_data()
    {
        QTest::addColumn<bool>("buttonDown");
        QTest::addColumn<QString>("title");
        QTest::newRow("button down puts track and time in the title")
            << true << QStringLiteral("OndelPlayer [03] 01:07");
        QTest::newRow("button up leaves the title alone") << false << QString();
    }

    void minimisedTitle()
    {
        QFETCH(bool, buttonDown);
        QFETCH(QString, title);
        PlayerHarness h(QStringLiteral("lengths=3:00;3:00;3:00"));
        h.controls.minimizeDown = buttonDown;
        h.state.currentTrack = 3;
        h.transport.play();
        h.clock.advance(67000);
        h.monitor.onTick();
        QCOMPARE(h.controls.title, title);
    }

    void playEnabling_data()
    {
        QTest::addColumn<QString>("disc");
        QTest::addColumn<int>("track");
        QTest::addColumn<bool>("enabledAfterPlay");
        QTest::addColumn<bool>("pendingAfterPlay");
        QTest::addColumn<bool>("enabledAfterStop");
        QTest::addColumn<int>("noDiscReports");
        QTest::addColumn<int>("lyricsLoads");

        // A play that cannot start leaves Play usable at once; only an empty
        // drive is said, and no lyrics are looked up for it.
        QTest::newRow("empty drive: told there is no disc, Play stays enabled")
            << QStringLiteral("state=empty") << 1 << true << false << true << 1 << 0;
        QTest::newRow("a track the disc does not have: Play stays enabled")
            << QStringLiteral("tracks=3") << 9 << true << false << true << 0 << 0;
        QTest::newRow("door open: Play does nothing and stays enabled")
            << QStringLiteral("state=open") << 1 << true << false << true << 0 << 0;
        QTest::newRow("playing disables Play")
            << QStringLiteral("tracks=3") << 1 << false << false << true << 0 << 1;
    }

    void playEnabling()
    {
        QFETCH(QString, disc);
        QFETCH(int, track);
        QFETCH(bool, enabledAfterPlay);
        QFETCH(bool, pendingAfterPlay);
        QFETCH(bool, enabledAfterStop);
        QFETCH(int, noDiscReports);
        QFETCH(int, lyricsLoads);

        PlayerHarness h(disc);
        h.state.currentTrack = track;
        h.transport.play();
        h.run(500);
        QCOMPARE(h.controls.playEnabled, enabledAfterPlay);
        QCOMPARE(h.state.playPending, pendingAfterPlay);
        QCOMPARE(h.controls.noDiscReports, noDiscReports);
        QCOMPARE(h.controls.lyricsLoads, lyricsLoads);
        h.transport.stop();
        h.tick();
        QCOMPARE(h.controls.playEnabled, enabledAfterStop);
        QVERIFY(h.state.userStopped);
    }

    void captureEndedOnChange_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::addColumn<int>("forgotten");
        QTest::newRow("capture ended, window kept") << false << 0;
        QTest::newRow("asking the window fails: reference emptied, tick goes on") << true << 1;
    }

    // Steady playing asks nothing; the track change and the end each end a capture.
    void captureEndedOnChange()
    {
        QFETCH(bool, fails);
        QFETCH(int, forgotten);
        PlayerHarness h(QStringLiteral("tracks=2,length=0:02"));
        h.controls.captureResult =
            fails ? PlayerControls::HookResult::Failed : PlayerControls::HookResult::Done;
        h.playTrack(1);
        h.run(1500);
        QCOMPARE(h.controls.captureEnds, 0);
        h.run(1000);
        QCOMPARE(h.controls.captureEnds, 1);
        QCOMPARE(h.controls.compilerForgotten, forgotten);
        QCOMPARE(h.plays(), (QList<int>{1, 2}));
        h.run(2500);
        QCOMPARE(h.controls.captureEnds, 2);
        QCOMPARE(h.controls.compilerForgotten, 2 * forgotten);
        QCOMPARE(h.count("stop cdaudio"), 1);
    }
};

QTEST_GUILESS_MAIN(tst_PlaybackMonitor)
#include "tst_PlaybackMonitor.moc"
