#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "compile/TapLatencyStore.h"
#include "core/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/Association.h"
#include "player/PlayerStateStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {
// A settings file as the player wrote it before its classes were renamed:
// the main window's place, mode, lyrics switch and mini mode, the lyrics
// window's place, the tap latency and two lyrics files related to a disc.
QByteArray previousFile()
{
    QFile file(QStringLiteral(ONDEL_TEST_SOURCE_DIR "/tests/app/stored-settings/OndelPlayer.conf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QString FirstSong = QStringLiteral("/home/ondel/Lyrics/first song.dwd");
const QString TwelfthSong = QStringLiteral("/home/ondel/歌詞/二曲目.dwd");

// The disc the relations were made for, in a drive.
struct Disc {
    Disc() : session(SimulatedDisc::create(QStringLiteral("tracks=12,id=1a2b3c4d"), clock, nullptr))
    {
        ReplyBuffer reply;
        session.sendCommand("open cdaudio", reply);
    }
    ManualClock clock;
    DeviceSession session;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
};
} // namespace

// Settings other installations and earlier versions wrote must read the same
// today, and what is written today must be what they read.
class tst_StoredSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void previousVersionLoadsUnchanged()
    {
        TempSettingsHome home;
        const QByteArray previous = previousFile();
        QVERIFY(!previous.isEmpty());
        QVERIFY(writeFile(home.configFile(), previous));
        QSettingsStore settings;

        const PlayerStateStore::PlayerValues player = PlayerStateStore::loadPlayer(settings);
        QVERIFY(player.complete);
        QCOMPARE(player.left.value_or(-1), 120);
        QCOMPARE(player.top.value_or(-1), 90);
        QCOMPARE(player.mode.value_or(-1), 2);
        QCOMPARE(player.wordsOn.value_or(true), false);
        QCOMPARE(player.miniMode.value_or(false), true);

        const PlayerStateStore::DisplayPosition lyrics = PlayerStateStore::loadDisplay(settings);
        QCOMPARE(lyrics.left.value_or(-1), -300);
        QCOMPARE(lyrics.top.value_or(-1), 400);
        QVERIFY(!PlayerStateStore::loadWipe(settings)); // not in the file: all at once

        QCOMPARE(TapLatencyStore(settings).read(), -45);

        Disc disc;
        Association association(disc.session, disc.boxes, settings, disc.dialogs);
        QCOMPARE(association.lookup(1).value_or(QStringLiteral("-")), FirstSong);
        QCOMPARE(association.lookup(12).value_or(QStringLiteral("-")), TwelfthSong);
        QCOMPARE(association.lookup(2).value_or(QStringLiteral("-")), QString());

        // Reading changed nothing in the file.
        QFile file(home.configFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), previous);
    }

    // The same values written today give the same file, byte for byte.
    void writtenTodayAsBefore()
    {
        TempSettingsHome home;
        QSettingsStore settings;
        QVERIFY(PlayerStateStore::savePlayer(settings, {120, 90, 2, false, true}));
        QVERIFY(PlayerStateStore::saveDisplay(settings, -300, 400));
        QVERIFY(TapLatencyStore(settings).write(-45));
        auto relation = settings.openKey(SettingsKeys::relationKey("1a2b3c4d"), true);
        QVERIFY(relation);
        QVERIFY(relation->writeString(SettingsKeys::trackValue(1), FirstSong));
        QVERIFY(relation->writeString(SettingsKeys::trackValue(12), TwelfthSong));

        QFile file(home.configFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), previousFile());
    }
};

QTEST_GUILESS_MAIN(tst_StoredSettings)
#include "tst_StoredSettings.moc"
