#include "ScriptedMessageBoxes.h"
#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/DeviceCommands.h"
#include "player/PlayerStartup.h"
#include "player/PlayerState.h"

#include <QMap>
#include <QTest>

namespace {
// Answers each command with a fixed reply and records what was sent.
class CannedDevice final : public CdAudioDevice {
public:
    QMap<QByteArray, QByteArray> replies;
    QMap<QByteArray, int> results;
    QList<QByteArray> sent;

    int sendCommand(const char* command, ReplyBuffer& reply) override
    {
        sent.append(command);
        reply.set(replies.value(command));
        return results.value(command, 0);
    }
};

std::unique_ptr<DeviceSession> simDrive(const QString& options, const Clock& clock)
{
    return std::make_unique<DeviceSession>(SimulatedDisc::create(options, clock, nullptr));
}
} // namespace

class tst_PlayerStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void twoCharacterFields_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected"); // -1: not a number
        QTest::newRow("single character 8") << QByteArray("8") << 0 << 8;
        QTest::newRow("two digits") << QByteArray("12") << 0 << 12;
        QTest::newRow("leading zero") << QByteArray("03:01:07:42") << 0 << 3;
        QTest::newRow("minutes") << QByteArray("03:01:07:42") << 3 << 1;
        QTest::newRow("seconds") << QByteArray("03:01:07:42") << 6 << 7;
        QTest::newRow("frames") << QByteArray("03:01:07:42") << 9 << 42;
        QTest::newRow("empty reply") << QByteArray() << 0 << -1;
        QTest::newRow("letters") << QByteArray("xx:00") << 0 << -1;
        QTest::newRow("digit and colon") << QByteArray("1:23") << 0 << -1;
        QTest::newRow("past the end") << QByteArray("03:01") << 6 << -1;
    }

    void twoCharacterFields()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, index);
        QFETCH(int, expected);
        ReplyBuffer buffer;
        buffer.set(reply);
        QCOMPARE(DeviceCommands::twoCharNumber(buffer, index).value_or(-1), expected);
    }

    void readTrackPosition_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("returned");
        QTest::addColumn<QList<int>>("position");
        QTest::newRow("worked example") << QByteArray("03:01:07:42") << 0 << 0 << QList<int>{1, 7, 42};
        QTest::newRow("failed query keeps output") << QByteArray() << 276 << -1 << QList<int>{9, 9, 9};
        QTest::newRow("garbage reply keeps output")
            << QByteArray("playing") << 0 << -1 << QList<int>{9, 9, 9};
    }

    void readTrackPosition()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, result);
        QFETCH(int, returned);
        QFETCH(QList<int>, position);
        CannedDevice device;
        device.replies["status cdaudio position wait"] = reply;
        device.results["status cdaudio position wait"] = result;
        TrackPosition pos{9, 9, 9};
        QCOMPARE(DeviceCommands::readTrackPosition(device, pos), returned);
        QCOMPARE((QList<int>{pos.minutes, pos.seconds, pos.frames}), position);
    }

    void busyDriveIsRefusedWithTheMessage()
    {
        ManualClock clock;
        auto drive = simDrive(QStringLiteral("state=busy"), clock);
        ScriptedMessageBoxes boxes;
        PlayerState state;
        QCOMPARE(PlayerStartup::openDevice(*drive, boxes, state), PlayerStartup::Outcome::Refused);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Information"));
        QCOMPARE(boxes.shown[0].text,
                 QStringLiteral("ＣＤが使用中です。\n使用を止めてから再度実行してください。"));
        QCOMPARE(boxes.shown[0].icon, BoxIcon::Information);
        QCOMPARE(boxes.shown[0].buttons, BoxButtons::Ok);
        QCOMPARE(state.currentTrack, 1);
    }

    void startupReadsTrackAndCount_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("count");
        QTest::newRow("disc positioned at track 5") << "tracks=12,track=5" << 5 << 12;
        QTest::newRow("default disc") << "" << 1 << 8;
        QTest::newRow("no disc keeps 1 and 1") << "state=empty" << 1 << 1;
    }

    void startupReadsTrackAndCount()
    {
        QFETCH(QString, options);
        QFETCH(int, track);
        QFETCH(int, count);
        ManualClock clock;
        auto drive = simDrive(options, clock);
        ScriptedMessageBoxes boxes;
        PlayerState state;
        QCOMPARE(PlayerStartup::openDevice(*drive, boxes, state), PlayerStartup::Outcome::Running);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(state.currentTrack, track);
        QCOMPARE(state.trackCount, count);
        QVERIFY(state.userStopped);
        QVERIFY(state.firstPaintDone);
    }

    void nonNumericRepliesLeaveOne()
    {
        CannedDevice device;
        device.replies["open cdaudio"] = "1";
        device.replies["status cdaudio position wait"] = "ab:00:00:00";
        device.replies["status cdaudio number of tracks wait"] = "?";
        ScriptedMessageBoxes boxes;
        PlayerState state;
        QCOMPARE(PlayerStartup::openDevice(device, boxes, state), PlayerStartup::Outcome::Running);
        QCOMPARE(state.currentTrack, 1);
        QCOMPARE(state.trackCount, 1);
        QCOMPARE(device.sent,
                 (QList<QByteArray>{"open cdaudio", "set cdaudio time format tmsf",
                                    "status cdaudio position wait", "status cdaudio number of tracks wait"}));
    }
};

QTEST_GUILESS_MAIN(tst_PlayerStartup)
#include "tst_PlayerStartup.moc"
