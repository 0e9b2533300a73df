#include "FakeRemote.h"
#include "RecordingDevice.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "UniqueDisc.h"
#include "app/DiscChanger.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/PlayerStartup.h"

#include <QTest>

using Outcome = DiscChanger::Outcome;
Q_DECLARE_METATYPE(Outcome)

namespace {
struct Rig {
    TempSettingsHome home;
    ManualClock clock;
    DeviceSession session;
    RecordingDevice device{session};
    ScriptedMessageBoxes boxes;
    QSettingsStore settings;
    FakeRemote remote;
    DiscChanger changer{session, device, remote.state, remote, boxes, settings, clock, nullptr};

    explicit Rig(const QString& options) : session(SimulatedDisc::create(options, clock, nullptr))
    {
        PlayerStartup::openDevice(device, boxes, remote.state);
    }
};
} // namespace

class tst_DiscChanger : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anotherDiscReplacesThePlayingOne_data()
    {
        QTest::addColumn<QString>("next");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("trackCount");
        QTest::addColumn<int>("boxes");
        // The playing disc: 8 tracks, at track 4, random play.
        QTest::newRow("another disc, at its own track")
            << uniqueDisc("sim:tracks=12,track=7") << Outcome::Changed << 7 << 12 << 0;
        QTest::newRow("a disc with no tracks readable")
            << uniqueDisc("sim:state=empty") << Outcome::Changed << 1 << 1 << 0;
        QTest::newRow("held by another program")
            << uniqueDisc("sim:state=busy") << Outcome::Refused << 4 << 8 << 1;
        QTest::newRow("options that make no disc") << "sim:tracks=none" << Outcome::BadSource << 4 << 8 << 0;
    }

    void anotherDiscReplacesThePlayingOne()
    {
        QFETCH(QString, next);
        QFETCH(Outcome, outcome);
        QFETCH(int, track);
        QFETCH(int, trackCount);
        QFETCH(int, boxes);
        Rig rig(uniqueDisc(QStringLiteral("tracks=8,track=4")));
        QCOMPARE(rig.remote.state.currentTrack, 4);
        rig.remote.state.playMode = PlayMode(3);
        ReplyBuffer reply;
        rig.device.sendCommand("play cdaudio from 4", reply);
        rig.remote.state.wasPlaying = true;

        QCOMPARE(rig.changer.change(next), outcome);
        QCOMPARE(rig.remote.state.currentTrack, track);
        QCOMPARE(rig.remote.state.trackCount, trackCount);
        QCOMPARE(rig.boxes.shown.size(), boxes);
        QCOMPARE(int(rig.remote.state.playMode), 3);
        QVERIFY(rig.session.isOpen());
        if (outcome == Outcome::Changed) {
            QCOMPARE(rig.remote.calls.first(), QStringLiteral("stop"));
            QVERIFY(!rig.remote.state.wasPlaying);
            rig.device.sendCommand("status cdaudio mode wait", reply);
            QVERIFY(!reply.equals("playing"));
        }
        if (outcome == Outcome::Refused) {
            QCOMPARE(rig.boxes.shown.first().caption, QStringLiteral("Information"));
            QCOMPARE(rig.boxes.shown.first().text,
                     QStringLiteral("ＣＤが使用中です。\n使用を止めてから再度実行してください。"));
            // The old disc stays in the drive and is still this player's.
            rig.device.sendCommand("status cdaudio number of tracks wait", reply);
            QCOMPARE(reply.toByteArray(), QByteArray("8"));
        }
    }

    void theSameDiscAgainIsLeftPlaying()
    {
        const QString disc = uniqueDisc(QStringLiteral("sim:tracks=8"));
        Rig rig(disc.mid(4));
        ReplyBuffer reply;
        rig.device.sendCommand("play cdaudio from 2", reply);
        QCOMPARE(rig.changer.change(disc), Outcome::SameDisc);
        QVERIFY(rig.remote.calls.isEmpty());
        rig.device.sendCommand("status cdaudio mode wait", reply);
        QVERIFY(reply.equals("playing"));
    }

    void theOldDiscIsFreeForOthersAfterTheChange()
    {
        const QString first = uniqueDisc(QStringLiteral("sim:tracks=2"));
        Rig rig(first.mid(4));
        QCOMPARE(rig.changer.change(uniqueDisc(QStringLiteral("sim:tracks=3"))), Outcome::Changed);
        ManualClock clock;
        DeviceSession other(SimulatedDisc::create(first.mid(4), clock, nullptr));
        ReplyBuffer reply;
        other.sendCommand("open cdaudio", reply);
        QCOMPARE(reply.toByteArray(), QByteArray("1"));
    }
};

QTEST_GUILESS_MAIN(tst_DiscChanger)
#include "tst_DiscChanger.moc"
