#include "FakeRemote.h"
#include "RecordingDevice.h"
#include "app/MprisModel.h"
#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/PlayerState.h"

#include <QDBusObjectPath>
#include <QTest>

namespace {
struct Rig {
    ManualClock clock;
    DeviceSession session;
    RecordingDevice device{session};
    FakeRemote remote;
    MprisModel model{remote, device};

    explicit Rig(const QString& options) : session(SimulatedDisc::create(options, clock, nullptr))
    {
        ReplyBuffer reply;
        session.sendCommand("open cdaudio", reply);
        session.sendCommand("set cdaudio time format tmsf", reply);
    }
};

using Method = void (MprisModel::*)();
} // namespace
Q_DECLARE_METATYPE(Method)

class tst_MprisModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void methodsReachTheHandlers_data()
    {
        QTest::addColumn<Method>("method");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QStringList>("calls");
        const QStringList none;
        QTest::newRow("play-pause while stopped plays")
            << &MprisModel::PlayPause << false << QStringList{"play"};
        QTest::newRow("play-pause while playing pauses")
            << &MprisModel::PlayPause << true << QStringList{"pause"};
        QTest::newRow("play while stopped plays") << &MprisModel::Play << false << QStringList{"play"};
        QTest::newRow("play while playing keeps the track going") << &MprisModel::Play << true << none;
        QTest::newRow("pause while playing pauses") << &MprisModel::Pause << true << QStringList{"pause"};
        QTest::newRow("pause while stopped does nothing") << &MprisModel::Pause << false << none;
        QTest::newRow("stop while stopped still stops") << &MprisModel::Stop << false << QStringList{"stop"};
        QTest::newRow("next") << &MprisModel::Next << true << QStringList{"next"};
        QTest::newRow("previous while stopped") << &MprisModel::Previous << false << QStringList{"previous"};
    }

    void methodsReachTheHandlers()
    {
        QFETCH(Method, method);
        QFETCH(bool, playing);
        QFETCH(QStringList, calls);
        Rig rig(QStringLiteral("tracks=3"));
        rig.remote.state.wasPlaying = playing;
        (rig.model.*method)();
        QCOMPARE(rig.remote.calls, calls);
    }

    void loopAndShuffleFollowThePlayMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("loop");
        QTest::addColumn<bool>("shuffle");
        QTest::newRow("normal") << 0 << "None" << false;
        QTest::newRow("one-track repeat") << 1 << "Track" << false;
        QTest::newRow("repeat all") << 2 << "Playlist" << false;
        QTest::newRow("random") << 3 << "None" << true;
    }

    void loopAndShuffleFollowThePlayMode()
    {
        QFETCH(int, mode);
        QFETCH(QString, loop);
        QFETCH(bool, shuffle);
        Rig rig(QStringLiteral("tracks=3"));
        rig.remote.state.playMode = PlayMode(mode);
        QCOMPARE(rig.model.loopStatus(), loop);
        QCOMPARE(rig.model.shuffle(), shuffle);
    }

    void settingLoopOrShuffleSetsThePlayMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("loop"); // empty: set Shuffle instead
        QTest::addColumn<bool>("shuffle");
        QTest::addColumn<int>("expected");
        QTest::newRow("track loop") << 0 << "Track" << false << 1;
        QTest::newRow("playlist loop") << 3 << "Playlist" << false << 2;
        QTest::newRow("no loop from repeat all") << 2 << "None" << false << 0;
        QTest::newRow("no loop leaves random play") << 3 << "None" << false << 3;
        QTest::newRow("unknown loop status is ignored") << 1 << "Forever" << false << 1;
        QTest::newRow("shuffle on") << 1 << "" << true << 3;
        QTest::newRow("shuffle off from random") << 3 << "" << false << 0;
        QTest::newRow("shuffle off leaves a repeat") << 2 << "" << false << 2;
    }

    void settingLoopOrShuffleSetsThePlayMode()
    {
        QFETCH(int, mode);
        QFETCH(QString, loop);
        QFETCH(bool, shuffle);
        QFETCH(int, expected);
        Rig rig(QStringLiteral("tracks=3"));
        rig.remote.state.playMode = PlayMode(mode);
        if (loop.isEmpty())
            rig.model.setShuffle(shuffle);
        else
            rig.model.setLoopStatus(loop);
        QCOMPARE(int(rig.remote.state.playMode), expected);
    }

    void msfTextAsMicroseconds_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qlonglong>("micros"); // -1: refused
        QTest::newRow("minutes and seconds") << QByteArray("03:20:00") << 200000000LL;
        QTest::newRow("one frame") << QByteArray("00:00:01") << 13333LL;
        QTest::newRow("last frame of a second") << QByteArray("00:00:74") << 986666LL;
        QTest::newRow("longest") << QByteArray("99:59:74") << 5999986666LL;
        QTest::newRow("one-digit minutes") << QByteArray("3:20:00") << -1LL;
        QTest::newRow("sixty seconds") << QByteArray("03:60:00") << -1LL;
        QTest::newRow("75 frames") << QByteArray("00:00:75") << -1LL;
        QTest::newRow("letter") << QByteArray("0a:00:00") << -1LL;
        QTest::newRow("tmsf position") << QByteArray("01:00:00:00") << -1LL;
        QTest::newRow("empty") << QByteArray() << -1LL;
    }

    void msfTextAsMicroseconds()
    {
        QFETCH(QByteArray, text);
        QFETCH(qlonglong, micros);
        QCOMPARE(MprisModel::msfToMicroseconds(text).value_or(-1), micros);
    }

    void metadataDescribesTheTrackOnTheDigits_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<qlonglong>("length");
        QTest::newRow("first track") << 1 << 200000000LL;
        QTest::newRow("short last track") << 3 << 45000000LL;
    }

    void metadataDescribesTheTrackOnTheDigits()
    {
        QFETCH(int, track);
        QFETCH(qlonglong, length);
        Rig rig(QStringLiteral("lengths=3:20;1:00;0:45,id=DISC-ONE"));
        rig.remote.state.currentTrack = track;
        rig.remote.state.trackCount = 3;
        const QVariantMap metadata = rig.model.metadata();
        QCOMPARE(metadata.value("xesam:trackNumber").toInt(), track);
        QCOMPARE(metadata.value("mpris:length").toLongLong(), length);
        QCOMPARE(metadata.value("ondelplayer:discIdentity").toString(), QStringLiteral("DISC-ONE"));
        QCOMPARE(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(),
                 QStringLiteral("/org/ondelplayer/OndelPlayer/track/%1").arg(track));
        // Asked again for the same track, the device is left alone.
        const qsizetype sent = rig.device.sent.size();
        QCOMPARE(rig.model.metadata(), metadata);
        QCOMPARE(rig.device.sent.size(), sent);
        // Another disc at the same track is asked about anew.
        rig.model.discChanged();
        QCOMPARE(rig.model.metadata(), metadata);
        QVERIFY(rig.device.sent.size() > sent);
    }

    // What the disc names goes out as title, album and artist; a track it
    // names nothing of keeps "Track N" and the disc's performer.
    void metadataCarriesTheDiscsNames_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("artist");
        QTest::newRow("a named track") << 2 << "Zwei" << QStringList{"A Singer"};
        QTest::newRow("a track named by nothing") << 1 << "Track 1" << QStringList{"The Band"};
    }

    void metadataCarriesTheDiscsNames()
    {
        QFETCH(int, track);
        QFETCH(QString, title);
        QFETCH(QStringList, artist);
        Rig rig(QStringLiteral("tracks=3"));
        const QHash<QByteArray, QByteArray> names{{"info cdaudio title", "Night Album"},
                                                  {"info cdaudio performer", "The Band"},
                                                  {"info cdaudio title track 2", "Zwei"},
                                                  {"info cdaudio performer track 2", "A Singer"}};
        rig.device.answer = [&](const QByteArray& command, ReplyBuffer& reply) {
            if (!command.startsWith("info cdaudio title") && !command.startsWith("info cdaudio performer"))
                return false;
            reply.set(names.value(command));
            return true;
        };
        rig.remote.state.currentTrack = track;
        const QVariantMap metadata = rig.model.metadata();
        QCOMPARE(metadata.value("xesam:title").toString(), title);
        QCOMPARE(metadata.value("xesam:album").toString(), QStringLiteral("Night Album"));
        QCOMPARE(metadata.value("xesam:artist").toStringList(), artist);
    }

    void volumeIsTheStreamsLevel_data()
    {
        QTest::addColumn<double>("set");
        QTest::addColumn<double>("read");
        QTest::newRow("half") << 0.5 << 0.5;
        QTest::newRow("rounded to a percent") << 0.333 << 0.33;
        QTest::newRow("at most twice the disc's level") << 3.0 << 2.0;
        QTest::newRow("below silence is silence") << -0.5 << 0.0;
        QTest::newRow("not a number changes nothing") << qQNaN() << 1.0;
    }

    void volumeIsTheStreamsLevel()
    {
        QFETCH(double, set);
        QFETCH(double, read);
        Rig rig(QStringLiteral("tracks=3"));
        QCOMPARE(rig.model.volume(), 1.0);
        rig.model.changedProperties();
        rig.model.setVolume(set);
        QCOMPARE(rig.model.volume(), read);
        QCOMPARE(rig.model.changedProperties().keys(), read == 1.0 ? QStringList{} : QStringList{"Volume"});
    }

    void metadataIsEmptyWhileTheDoorIsOpen()
    {
        Rig rig(QStringLiteral("tracks=3"));
        rig.remote.state.doorOpen = true;
        QVERIFY(rig.model.metadata().isEmpty());
        QVERIFY(!rig.model.canPlay());
        QVERIFY(rig.device.sent.isEmpty());
    }

    void positionIsTheTimeWithinTheTrack()
    {
        Rig rig(QStringLiteral("tracks=3,length=1:00"));
        ReplyBuffer reply;
        rig.session.sendCommand("play cdaudio from 2", reply);
        rig.clock.advance(12 * 1000 + 400);
        // 12.4 s is 12 s and 30 frames.
        QCOMPARE(rig.model.position(), 12400000LL);
        rig.session.sendCommand("close cdaudio", reply);
        QCOMPARE(rig.model.position(), 0LL);
    }

    void changedPropertiesNameOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("changed");
        QTest::newRow("nothing") << "" << QStringList{};
        QTest::newRow("playing") << "playing" << QStringList{"PlaybackStatus"};
        QTest::newRow("next track") << "track" << QStringList{"Metadata"};
        QTest::newRow("random mode") << "random" << QStringList{"Shuffle"};
        QTest::newRow("repeat mode") << "repeat" << QStringList{"LoopStatus"};
        QTest::newRow("door open") << "door" << QStringList{"CanGoNext", "CanGoPrevious", "CanPause",
                                                            "CanPlay",   "CanSeek",       "Metadata"};
        QTest::newRow("paused") << "paused" << QStringList{"PlaybackStatus"};
    }

    void changedPropertiesNameOnlyWhatChanged()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, changed);
        Rig rig(QStringLiteral("tracks=3"));
        rig.remote.state.trackCount = 3;
        QCOMPARE(rig.model.changedProperties().keys(),
                 (QStringList{"CanGoNext", "CanGoPrevious", "CanPause", "CanPlay", "CanSeek", "LoopStatus",
                              "Metadata", "PlaybackStatus", "Shuffle", "Volume"}));
        PlayerState& state = rig.remote.state;
        if (change == QLatin1String("playing"))
            state.wasPlaying = true;
        else if (change == QLatin1String("track"))
            state.currentTrack = 2;
        else if (change == QLatin1String("random"))
            state.playMode = PlayMode(3);
        else if (change == QLatin1String("repeat"))
            state.playMode = PlayMode(1);
        else if (change == QLatin1String("door"))
            state.doorOpen = true;
        else if (change == QLatin1String("paused"))
            state.paused = true;
        const QVariantMap now = rig.model.changedProperties();
        QCOMPARE(now.keys(), changed);
        if (change == QLatin1String("playing"))
            QCOMPARE(now.value("PlaybackStatus").toString(), QStringLiteral("Playing"));
        if (change == QLatin1String("paused"))
            QCOMPARE(now.value("PlaybackStatus").toString(), QStringLiteral("Paused"));
        // Published once: the next look finds nothing new.
        QVERIFY(rig.model.changedProperties().isEmpty());
    }

    // Track 2 of 1:00 plays 10 s in (or is paused there): where a seek goes.
    void seekingStaysWithinTheTrack_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("call");
        QTest::addColumn<qlonglong>("time");
        QTest::addColumn<QStringList>("calls");
        const qlonglong second = 1000000;
        QTest::newRow("ahead") << "playing"
                               << "seek" << 5 * second << QStringList{"seek 1125"};
        QTest::newRow("back") << "playing"
                              << "seek" << -4 * second << QStringList{"seek 450"};
        QTest::newRow("back past the start goes to the start")
            << "playing"
            << "seek" << -20 * second << QStringList{"seek 0"};
        QTest::newRow("past the end is the next track") << "playing"
                                                        << "seek" << 50 * second << QStringList{"next"};
        QTest::newRow("paused, the kept place moves") << "paused"
                                                      << "seek" << 5 * second << QStringList{"seek 1125"};
        QTest::newRow("stopped, nothing") << "stopped"
                                          << "seek" << 5 * second << QStringList{};
        QTest::newRow("to a place") << "playing"
                                    << "set" << 30 * second + 20000 << QStringList{"seek 2251"};
        QTest::newRow("to the last frame") << "playing"
                                           << "set" << 60 * second - 13334 << QStringList{"seek 4498"};
        QTest::newRow("to the end, nothing") << "playing"
                                             << "set" << 60 * second << QStringList{};
        QTest::newRow("before the start, nothing") << "playing"
                                                   << "set" << -1LL << QStringList{};
        QTest::newRow("in another track, nothing") << "playing"
                                                   << "other" << 30 * second << QStringList{};
        QTest::newRow("paused, to a place") << "paused"
                                            << "set" << 30 * second << QStringList{"seek 2250"};
    }

    void seekingStaysWithinTheTrack()
    {
        QFETCH(QString, state);
        QFETCH(QString, call);
        QFETCH(qlonglong, time);
        QFETCH(QStringList, calls);
        Rig rig(QStringLiteral("tracks=3,length=1:00"));
        ReplyBuffer reply;
        rig.remote.state.currentTrack = 2;
        if (state == QLatin1String("playing")) {
            rig.session.sendCommand("play cdaudio from 2", reply);
            rig.clock.advance(10 * 1000);
            rig.remote.state.wasPlaying = true;
        }
        rig.remote.state.paused = state == QLatin1String("paused");
        rig.remote.state.pausedAt = 750;
        if (call == QLatin1String("seek"))
            rig.model.Seek(time);
        else
            rig.model.SetPosition(QDBusObjectPath(QStringLiteral("/org/ondelplayer/OndelPlayer/track/%1")
                                                      .arg(call == QLatin1String("other") ? 3 : 2)),
                                  time);
        QCOMPARE(rig.remote.calls, calls);
        // A seek is told once as a jump of the position.
        const bool seeked = !calls.isEmpty() && calls.front().startsWith(QLatin1String("seek"));
        QCOMPARE(rig.model.positionJump().has_value(), seeked);
        QVERIFY(!rig.model.positionJump());
    }

    // The position as the desktop sees it between two looks a moment apart.
    void positionJumpsAreTold_data()
    {
        QTest::addColumn<QString>("between");
        QTest::addColumn<qlonglong>("jumpedTo"); // -1: no jump
        QTest::newRow("playing on") << "+400" << -1LL;
        QTest::newRow("the track starts again") << "play cdaudio from 2" << 0LL;
        QTest::newRow("a play from a later place") << "play cdaudio from 02:00:40:00" << 40000000LL;
        QTest::newRow("on into the next track, as the player follows it") << "+2000;track 3" << -1LL;
        QTest::newRow("stopped") << "stop cdaudio;stopped" << -1LL;
    }

    void positionJumpsAreTold()
    {
        QFETCH(QString, between);
        QFETCH(qlonglong, jumpedTo);
        Rig rig(QStringLiteral("tracks=3,length=0:50"));
        ReplyBuffer reply;
        rig.session.sendCommand("play cdaudio from 2", reply);
        rig.remote.state.currentTrack = 2;
        rig.remote.state.wasPlaying = true;
        rig.clock.advance(49 * 1000);
        QVERIFY(!rig.model.positionJump());
        for (const QString& step : between.split(QLatin1Char(';'))) {
            if (step.startsWith(QLatin1Char('+')))
                rig.clock.advance(step.mid(1).toInt());
            else if (step == QLatin1String("track 3"))
                rig.remote.state.currentTrack = 3;
            else if (step == QLatin1String("stopped"))
                rig.remote.state.wasPlaying = false;
            else
                rig.session.sendCommand(step.toLatin1().constData(), reply);
        }
        const std::optional<qlonglong> jump = rig.model.positionJump();
        QCOMPARE(jump.value_or(-1), jumpedTo);
    }
};

QTEST_GUILESS_MAIN(tst_MprisModel)
#include "tst_MprisModel.moc"
