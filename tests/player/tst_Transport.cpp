#include "PlayerHarness.h"

#include <QTest>

class tst_Transport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rew_data()
    {
        QTest::addColumn<QString>("disc");
        QTest::addColumn<int>("track");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("atMs"); // position within the track
        QTest::addColumn<int>("currentTrack");
        QTest::addColumn<QList<int>>("plays"); // plays issued by Rew

        const QString ten = QStringLiteral("tracks=10,length=3:00");
        // 50 frames are 666.7 ms; 30 frames 400 ms.
        QTest::newRow("playing at 0:00.50 of track 1 of 10 plays track 10")
            << ten << 1 << true << 667 << 10 << QList<int>{10};
        QTest::newRow("playing at 0:00.74 of track 5 plays track 4")
            << ten << 5 << true << 987 << 4 << QList<int>{4};
        // Whole minutes are more than a second into the track.
        QTest::newRow("playing at 1:00.10 restarts the track")
            << ten << 5 << true << 60133 << 5 << QList<int>{5};
        QTest::newRow("playing at 2:00.30 restarts the track")
            << ten << 5 << true << 120400 << 5 << QList<int>{5};
        QTest::newRow("playing at 2:01.00 restarts the track")
            << ten << 5 << true << 121000 << 5 << QList<int>{5};
        QTest::newRow("stopped on track 1 of 12 shows track 12 without playing")
            << QStringLiteral("tracks=12") << 1 << false << 0 << 12 << QList<int>{};
        QTest::newRow("stopped on track 5 goes to 4 without playing")
            << ten << 5 << false << 0 << 4 << QList<int>{};
    }

    void rew()
    {
        QFETCH(QString, disc);
        QFETCH(int, track);
        QFETCH(bool, playing);
        QFETCH(int, atMs);
        QFETCH(int, currentTrack);
        QFETCH(QList<int>, plays);

        PlayerHarness h(disc);
        const qint64 start = h.clock.nowMs();
        if (playing)
            h.playTrack(track);
        else
            h.state.currentTrack = track;
        h.clock.set(start + atMs);
        const qsizetype before = h.plays().size();
        h.transport.rewind();
        QCOMPARE(h.state.currentTrack, currentTrack);
        QCOMPARE(h.plays().mid(before), plays);
        QCOMPARE(h.state.trackChangeLatch, playing);
        h.tick();
        QCOMPARE(h.controls.digits.left(2), QByteArray::number(currentTrack).rightJustified(2, '0'));
    }

    void ff_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("currentTrack");
        QTest::addColumn<QList<int>>("plays");

        QTest::newRow("last track while playing plays track 1") << 5 << true << 1 << QList<int>{1};
        QTest::newRow("last track while stopped wraps to 1 without playing")
            << 5 << false << 1 << QList<int>{};
        QTest::newRow("track 2 while playing plays track 3") << 2 << true << 3 << QList<int>{3};
    }

    void ff()
    {
        QFETCH(int, track);
        QFETCH(bool, playing);
        QFETCH(int, currentTrack);
        QFETCH(QList<int>, plays);

        PlayerHarness h(QStringLiteral("tracks=5,length=1:00"));
        if (playing)
            h.playTrack(track);
        else
            h.state.currentTrack = track;
        const qsizetype before = h.plays().size();
        h.transport.fastForward();
        QCOMPARE(h.state.currentTrack, currentTrack);
        QCOMPARE(h.plays().mid(before), plays);
        h.run(500);
        QCOMPARE(h.plays().mid(before), plays);
    }

    // The first press stops and opens the door, the second closes it.
    void eject_data()
    {
        QTest::addColumn<QString>("disc");
        QTest::addColumn<bool>("playFirst");
        QTest::addColumn<QByteArrayList>("firstPress");
        QTest::addColumn<QByteArrayList>("secondPress");

        QTest::newRow("playing: first press stops and opens, second closes")
            << QStringLiteral("tracks=3") << true << QByteArrayList{"stop cdaudio", "set cdaudio door open"}
            << QByteArrayList{"set cdaudio door closed"};
        // The door was open before the program started: the first press closes it.
        QTest::newRow("started with the tray open: first press closes")
            << QStringLiteral("tracks=3,state=open") << false << QByteArrayList{"set cdaudio door closed"}
            << QByteArrayList{"stop cdaudio", "set cdaudio door open"};
    }

    void eject()
    {
        QFETCH(QString, disc);
        QFETCH(bool, playFirst);
        QFETCH(QByteArrayList, firstPress);
        QFETCH(QByteArrayList, secondPress);

        PlayerHarness h(disc);
        if (playFirst)
            h.playTrack(2);
        const auto press = [&h] {
            h.device.sent.clear();
            h.transport.eject();
            QByteArrayList moves;
            for (const QByteArray& c : h.device.sent)
                if (!c.startsWith("status "))
                    moves << c;
            return moves;
        };

        QCOMPARE(press(), firstPress);
        QCOMPARE(h.state.currentTrack, 1);
        h.run(200);
        QVERIFY(h.controls.playEnabled);
        QVERIFY(h.state.userStopped);
        QCOMPARE(press(), secondPress);
        QCOMPARE(h.state.currentTrack, 1);
        h.run(200);
        QCOMPARE(h.controls.digits, QByteArray("010000"));
        QCOMPARE(h.plays(), QList<int>{}); // the door moves never start a play
    }

    void aTickInsideStopCannotUndoIt_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("normal") << 0;
        QTest::newRow("one-track repeat") << 1;
        QTest::newRow("repeat all") << 2;
        QTest::newRow("random") << 3;
    }

    // A tick delivered while the drive is being stopped sees a disc that has
    // just stopped playing; in the repeating modes it must not take that for
    // the end of a track and play again.
    void aTickInsideStopCannotUndoIt()
    {
        QFETCH(int, mode);
        PlayerHarness h(QStringLiteral("tracks=3"));
        h.transport.setPlayMode(PlayMode(mode));
        h.playTrack(2);
        h.run(200);
        h.device.sent.clear();
        h.device.insideCommand = [&h](const QByteArray& command) {
            if (command == "stop cdaudio")
                h.tick();
        };
        h.transport.stop();
        h.device.insideCommand = nullptr;
        h.run(500);
        QCOMPARE(h.plays(), QList<int>{});
        QVERIFY(h.state.userStopped);
        ReplyBuffer reply;
        h.device.sendCommand("status cdaudio mode", reply);
        QCOMPARE(reply.toByteArray(), QByteArray("stopped"));
    }

    // Playing with the door open does nothing at all.
    void playWithDoorOpen()
    {
        PlayerHarness h(QStringLiteral("tracks=3"));
        h.transport.eject();
        h.device.sent.clear();
        h.transport.play();
        QCOMPARE(h.device.sent, QByteArrayList{"status cdaudio mode wait"});
        QVERIFY(!h.state.playPending);
        QVERIFY(h.state.userStopped);
        QCOMPARE(h.controls.lyricsLoads, 0);
    }

    void playLoadsLyricsWhenWordsOn_data()
    {
        QTest::addColumn<bool>("wordsOn");
        QTest::newRow("words on: lyrics load") << true;
        QTest::newRow("words off: lyric state untouched") << false;
    }

    void playLoadsLyricsWhenWordsOn()
    {
        QFETCH(bool, wordsOn);
        PlayerHarness h(QStringLiteral("tracks=8"));
        h.state.trackCount = 1;
        h.controls.wordsOn = wordsOn;
        h.transport.play();
        QCOMPARE(h.controls.lyricsLoads, wordsOn ? 1 : 0);
        QCOMPARE(h.state.trackCount, 8); // a one-character count reads as 8
        QVERIFY(h.state.trackChangeLatch && h.state.playPending && !h.state.userStopped);
        QVERIFY(!h.controls.playEnabled);
    }

    void setModeCycles()
    {
        PlayerHarness h(QStringLiteral("tracks=3"));
        for (int i = 0; i < 4; ++i)
            h.transport.cyclePlayMode();
        QCOMPARE(h.controls.shownModes, (QList<int>{1, 2, 3, 0}));
        QCOMPARE(int(h.state.playMode), 0);
    }

    void randomTrack_data()
    {
        QTest::addColumn<int>("trackCount");
        QTest::newRow("no tracks gives 1") << 0;
        QTest::newRow("one track") << 1;
        QTest::newRow("twelve tracks, every one reachable") << 12;
    }

    void randomTrack()
    {
        QFETCH(int, trackCount);
        PlayerHarness h(QStringLiteral("tracks=3"));
        h.state.trackCount = trackCount;
        QSet<int> seen;
        for (int i = 0; i < 2000; ++i)
            seen.insert(h.transport.randomTrack());
        QSet<int> all;
        for (int t = 1; t <= qMax(1, trackCount); ++t)
            all.insert(t);
        QCOMPARE(seen, all);
    }

    // Track 2 plays 5 s, then pauses (or seeks while playing); a second of
    // ticks; then what follows. The digits after it, whether a pause is still kept, and the lyrics loads.
    void pauseKeepsThePlaceAndSeekMovesIt_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<int>("lyricsLoads");
        for (int mode = 0; mode < PlayModeCount; ++mode)
            QTest::addRow("paused in mode %d: nothing follows, the place shows", mode)
                << mode << "pause" << QByteArray("020005") << true << 1;
        QTest::newRow("play goes on from the place")
            << 0 << "pause;play" << QByteArray("020006") << false << 2;
        QTest::newRow("stop forgets the place") << 0 << "pause;stop" << QByteArray("020000") << false << 1;
        QTest::newRow("next forgets the place") << 0 << "pause;next" << QByteArray("030000") << false << 1;
        QTest::newRow("a seek moves the kept place")
            << 0 << "pause;seek 1500" << QByteArray("020020") << true << 1;
        QTest::newRow("and play goes on from there")
            << 0 << "pause;seek 1500;play" << QByteArray("020021") << false << 2;
        QTest::newRow("a seek while playing plays from there, lyrics anew")
            << 1 << "seek 1500" << QByteArray("020021") << false << 2;
        QTest::newRow("a seek while stopped does nothing")
            << 0 << "stop;seek 1500" << QByteArray("020000") << false << 1;
    }

    void pauseKeepsThePlaceAndSeekMovesIt()
    {
        QFETCH(int, mode);
        QFETCH(QString, steps);
        QFETCH(QByteArray, digits);
        QFETCH(bool, paused);
        QFETCH(int, lyricsLoads);
        PlayerHarness h(QStringLiteral("tracks=4,length=1:00"));
        h.transport.setPlayMode(PlayMode(mode));
        h.playTrack(2);
        h.run(5000 - 50);
        const qsizetype plays = h.plays().size();
        for (const QString& step : steps.split(QLatin1Char(';'))) {
            if (step == QLatin1String("pause"))
                h.transport.pause();
            else if (step == QLatin1String("play"))
                h.transport.play();
            else if (step == QLatin1String("stop"))
                h.transport.stop();
            else if (step == QLatin1String("next"))
                h.transport.fastForward();
            else
                h.transport.seek(step.mid(5).toInt());
            h.run(1000);
        }
        QCOMPARE(h.controls.digits, digits);
        QCOMPARE(h.state.paused, paused);
        QCOMPARE(h.controls.lyricsLoads, lyricsLoads);
        // Nothing played by itself while paused.
        if (steps == QLatin1String("pause"))
            QCOMPARE(h.plays().size(), plays);
    }
};

QTEST_GUILESS_MAIN(tst_Transport)
#include "tst_Transport.moc"
