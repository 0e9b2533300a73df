#include "PrivateSessionBus.h"
#include "RecordingDevice.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "UniqueDisc.h"
#include "app/MprisService.h"
#include "app/PlayerWindow.h"
#include "app/PlayerWindowRemote.h"
#include "controls/DigitalDisplay.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "window/PlayerObjectNames.h"

#include <QAbstractButton>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace PlayerObjectNames;

namespace {
const QString Path = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString RootInterface = QStringLiteral("org.mpris.MediaPlayer2");

// The player window on a simulated disc, on the session bus of the test's
// own, reached from a second connection as a panel applet reaches it.
struct Rig {
    PrivateSessionBus bus;
    TempSettingsHome home;
    ManualClock clock;
    DeviceSession session;
    RecordingDevice device{session};
    ScriptedMessageBoxes boxes;
    QSettingsStore settings;
    std::unique_ptr<PlayerWindow> player;
    std::unique_ptr<PlayerWindowRemote> remote;
    std::unique_ptr<MprisService> mpris;
    QDBusConnection client{QString()};

    Rig() : session(SimulatedDisc::create(uniqueDisc(QStringLiteral("tracks=4")), clock, nullptr))
    {
        player = std::make_unique<PlayerWindow>(device, boxes, settings);
        remote = std::make_unique<PlayerWindowRemote>(*player);
        static int serial = 0;
        ++serial;
        mpris = std::make_unique<MprisService>(
            *remote, device,
            QDBusConnection::connectToBus(bus.address(), QStringLiteral("player%1").arg(serial)));
        QObject::connect(player->findChild<QTimer*>(Main::TickTimer), &QTimer::timeout, mpris.get(),
                         &MprisService::publishChanges);
        client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("remote%1").arg(serial));
    }

    QVariant get(const QString& interface, const QString& property)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(mpris->serviceName(), Path,
                                                           QStringLiteral("org.freedesktop.DBus.Properties"),
                                                           QStringLiteral("Get"));
        call << interface << property;
        QDBusPendingReply<QVariant> reply = client.asyncCall(call);
        // The player answers from this thread's loop: wait by running it.
        for (int i = 0; i < 500 && !reply.isFinished(); ++i)
            QTest::qWait(10);
        return reply.isValid() ? reply.value() : QVariant();
    }

    bool call(const QString& interface, const QString& method)
    {
        QDBusPendingCall pending =
            client.asyncCall(QDBusMessage::createMethodCall(mpris->serviceName(), Path, interface, method));
        for (int i = 0; i < 500 && !pending.isFinished(); ++i)
            QTest::qWait(10);
        return pending.isFinished() && !pending.isError();
    }

    QByteArray digits()
    {
        QByteArray text;
        for (QLatin1String digit : Main::Digits)
            text += player->findChild<DigitalDisplay*>(digit)->number();
        return text;
    }

    void click(const char* button)
    {
        QTest::mouseClick(player->findChild<QAbstractButton*>(QLatin1String(button)), Qt::LeftButton);
    }
};
} // namespace

class tst_MprisService : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void seeked(qlonglong position) { seeks << position; }
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == PlayerInterface && changed.contains(QStringLiteral("PlaybackStatus")))
            statuses << changed.value(QStringLiteral("PlaybackStatus")).toString();
    }

private:
    QStringList statuses;
    QList<qlonglong> seeks;

    void listen(Rig& rig)
    {
        statuses.clear();
        QVERIFY(rig.client.connect(rig.mpris->serviceName(), Path,
                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"), this,
                                   SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
    }

private Q_SLOTS:
    void thePlayerIsOnTheBusUnderItsName()
    {
        Rig rig;
        QVERIFY2(!rig.bus.address().isEmpty(), "dbus-daemon did not start");
        QVERIFY(rig.mpris->start());
        QCOMPARE(rig.mpris->serviceName(), QStringLiteral("org.mpris.MediaPlayer2.ondelplayer"));
        QCOMPARE(rig.get(RootInterface, QStringLiteral("Identity")).toString(),
                 QStringLiteral("OndelPlayer"));
        QCOMPARE(rig.get(RootInterface, QStringLiteral("DesktopEntry")).toString(),
                 QStringLiteral("org.ondelplayer.OndelPlayer"));
        QCOMPARE(rig.get(PlayerInterface, QStringLiteral("CanControl")).toBool(), true);
        // A second player on the same bus keeps out of the first one's way.
        MprisService other(*rig.remote, rig.device,
                           QDBusConnection::connectToBus(rig.bus.address(), QStringLiteral("second")));
        QVERIFY(other.start());
        QVERIFY(
            other.serviceName().startsWith(QStringLiteral("org.mpris.MediaPlayer2.ondelplayer.instance")));
    }

    void playbackStatusFollowsTheMouse()
    {
        Rig rig;
        QVERIFY(rig.mpris->start());
        rig.player->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.player.get()));
        listen(rig);
        rig.click("Play");
        QTRY_COMPARE(statuses, QStringList{"Playing"});
        QCOMPARE(rig.get(PlayerInterface, QStringLiteral("PlaybackStatus")).toString(),
                 QStringLiteral("Playing"));
        rig.click("Stop");
        QTRY_COMPARE(statuses, (QStringList{"Playing", "Stopped"}));
        QCOMPARE(rig.get(PlayerInterface, QStringLiteral("PlaybackStatus")).toString(),
                 QStringLiteral("Stopped"));
    }

    void remoteCallsDriveThePlayer()
    {
        Rig rig;
        QVERIFY(rig.mpris->start());
        rig.player->show();
        listen(rig);
        const auto sentSince = [&](qsizetype from) {
            QByteArrayList commands;
            for (const QByteArray& c : rig.device.sent.mid(from))
                if (!c.startsWith("status") && !c.startsWith("info"))
                    commands << c;
            return commands;
        };
        qsizetype mark = rig.device.sent.size();
        QVERIFY(rig.call(PlayerInterface, QStringLiteral("PlayPause")));
        QCOMPARE(sentSince(mark), QByteArrayList{"play cdaudio from 1"});
        QTRY_COMPARE(statuses, QStringList{"Playing"});

        mark = rig.device.sent.size();
        QVERIFY(rig.call(PlayerInterface, QStringLiteral("Next")));
        QCOMPARE(sentSince(mark), QByteArrayList{"play cdaudio from 2"});
        const auto metadata = [&] {
            return qdbus_cast<QVariantMap>(
                rig.get(PlayerInterface, QStringLiteral("Metadata")).value<QDBusArgument>());
        };
        QTRY_COMPARE(metadata().value("xesam:trackNumber").toInt(), 2);
        QCOMPARE(metadata().value("mpris:length").toLongLong(), 180000000LL);

        // Play while playing leaves the track alone.
        mark = rig.device.sent.size();
        QVERIFY(rig.call(PlayerInterface, QStringLiteral("Play")));
        QCOMPARE(sentSince(mark), QByteArrayList{});

        // Pause keeps the place, the digits show it, and Play goes on from there.
        rig.clock.advance(5000);
        mark = rig.device.sent.size();
        QVERIFY(rig.call(PlayerInterface, QStringLiteral("Pause")));
        QCOMPARE(sentSince(mark), QByteArrayList{"stop cdaudio"});
        QTRY_COMPARE(statuses, (QStringList{"Playing", "Paused"}));
        QTRY_COMPARE(rig.digits(), QByteArray("020005"));
        QCOMPARE(rig.get(PlayerInterface, QStringLiteral("Position")).toLongLong(), 5000000LL);
        mark = rig.device.sent.size();
        QVERIFY(rig.call(PlayerInterface, QStringLiteral("PlayPause")));
        QCOMPARE(sentSince(mark), QByteArrayList{"play cdaudio from 2:00:05:00"});
        QTRY_COMPARE(statuses, (QStringList{"Playing", "Paused", "Playing"}));

        mark = rig.device.sent.size();
        QVERIFY(rig.call(PlayerInterface, QStringLiteral("Stop")));
        QVERIFY(rig.call(PlayerInterface, QStringLiteral("Previous")));
        // A tick that runs while the call is answered sees the play ended and
        // stops once more, as in normal mode it always does: only stops.
        const QByteArrayList stopped = sentSince(mark);
        QVERIFY(!stopped.isEmpty());
        QCOMPARE(QSet<QByteArray>(stopped.cbegin(), stopped.cend()), QSet<QByteArray>{"stop cdaudio"});
        QTRY_COMPARE(rig.player->state().currentTrack, 1);
    }

    // As dbus-send would: SetPosition moves the digits, and Seeked arrives;
    // Previous a few seconds into the track starts it again, a jump too.
    void setPositionMovesTheDigitsAndSaysSo()
    {
        Rig rig;
        QVERIFY(rig.mpris->start());
        rig.player->show();
        QVERIFY(rig.client.connect(rig.mpris->serviceName(), Path, PlayerInterface, QStringLiteral("Seeked"),
                                   this, SLOT(seeked(qlonglong))));
        seeks.clear();
        QCOMPARE(rig.get(PlayerInterface, QStringLiteral("CanSeek")).toBool(), true);
        QVERIFY(rig.call(PlayerInterface, QStringLiteral("Play")));
        QTRY_COMPARE(rig.digits(), QByteArray("010000"));
        QDBusMessage set = QDBusMessage::createMethodCall(rig.mpris->serviceName(), Path, PlayerInterface,
                                                          QStringLiteral("SetPosition"));
        set << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/ondelplayer/OndelPlayer/track/1")))
            << qlonglong(83000000);
        QDBusPendingCall pending = rig.client.asyncCall(set);
        QTRY_VERIFY(pending.isFinished());
        QVERIFY(!pending.isError());
        QTRY_COMPARE(seeks, QList<qlonglong>{83000000});
        QTRY_COMPARE(rig.digits(), QByteArray("010123"));
        QCOMPARE(rig.device.sent.count("play cdaudio from 1:01:23:00"), 1);

        QVERIFY(rig.call(PlayerInterface, QStringLiteral("Previous")));
        QTRY_COMPARE(seeks, (QList<qlonglong>{83000000, 0}));
        QTRY_COMPARE(rig.digits(), QByteArray("010000"));
    }

    void raiseRestoresAndQuitEnds()
    {
        // The program ends with its last window; the tests that follow must not.
        QGuiApplication::setQuitOnLastWindowClosed(false);
        const auto restore = qScopeGuard([] { QGuiApplication::setQuitOnLastWindowClosed(true); });
        Rig rig;
        QVERIFY(rig.mpris->start());
        rig.player->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.player.get()));
        rig.player->showMinimized();
        QVERIFY(rig.call(RootInterface, QStringLiteral("Raise")));
        QVERIFY(!rig.player->isMinimized());
        QVERIFY(rig.player->isVisible());

        QVERIFY(rig.call(RootInterface, QStringLiteral("Quit")));
        QTRY_VERIFY(!rig.player->isVisible());
        QCOMPARE(rig.device.sent.mid(rig.device.sent.size() - 2),
                 (QByteArrayList{"stop cdaudio", "close cdaudio"}));
    }
};

QTEST_MAIN(tst_MprisService)
#include "tst_MprisService.moc"
