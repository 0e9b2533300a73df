#include "RecordingDevice.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "app/PlayerWindow.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
struct Rig {
    TempSettingsHome home;
    ManualClock clock;
    DeviceSession session;
    RecordingDevice device{session};
    ScriptedMessageBoxes boxes;
    QSettingsStore settings;

    explicit Rig(const QString& options) : session(SimulatedDisc::create(options, clock, nullptr)) {}
};
} // namespace

class tst_TOndelPlayer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void busyDriveNeverShowsTheWindow()
    {
        Rig rig(QStringLiteral("state=busy"));
        PlayerWindow player(rig.device, rig.boxes, rig.settings);
        QVERIFY(player.refused());
        QVERIFY(!player.isVisible());
        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.device.sent, QByteArrayList{"open cdaudio"});
        QVERIFY(!player.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        // The posted quit ends the event loop at once.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QSignalSpy timedOut(&watchdog, &QTimer::timeout);
        watchdog.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(timedOut.count(), 0);
    }

    void runningPlayerStartsTheMonitorOnTheDiscsTrack()
    {
        Rig rig(QStringLiteral("tracks=9,track=5"));
        PlayerWindow player(rig.device, rig.boxes, rig.settings);
        QVERIFY(!player.refused());
        QCOMPARE(player.state().currentTrack, 5);
        QCOMPARE(player.state().trackCount, 9);
        auto* timer = player.findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 50);
    }

    void closingStopsThenClosesTheDevice_data()
    {
        QTest::addColumn<bool>("byPowerButton");
        QTest::newRow("window closed") << false;
        QTest::newRow("power button") << true;
    }

    void closingStopsThenClosesTheDevice()
    {
        QFETCH(bool, byPowerButton);
        Rig rig(QStringLiteral("tracks=3"));
        PlayerWindow player(rig.device, rig.boxes, rig.settings);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        if (byPowerButton)
            player.findChild<QAbstractButton*>(QStringLiteral("Power1"))->click();
        else
            player.close();
        QVERIFY(!player.isVisible());
        QCOMPARE(rig.device.sent.mid(rig.device.sent.size() - 2),
                 (QByteArrayList{"stop cdaudio", "close cdaudio"}));
        QVERIFY(!rig.session.isOpen());
    }
};

QTEST_MAIN(tst_TOndelPlayer)
#include "tst_TOndelPlayer.moc"
