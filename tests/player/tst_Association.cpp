#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/Association.h"

#include <QSettings>
#include <QTest>

namespace {
// A store whose keys cannot be opened, as when the settings file is read-only.
class LockedStore final : public SettingsStore {
public:
    std::unique_ptr<SettingsKey> openKey(const QString&, bool) override { return nullptr; }
};

struct Rig {
    TempSettingsHome home;
    ManualClock clock;
    DeviceSession drive;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    QSettingsStore store;

    explicit Rig(const QString& options) : drive(SimulatedDisc::create(options, clock, nullptr))
    {
        ReplyBuffer reply;
        drive.sendCommand("open cdaudio", reply);
    }
    QString stored(const QString& group, const QString& value) const
    {
        QSettings raw(home.configFile(), QSettings::IniFormat);
        return raw.value(group + QLatin1Char('/') + value).toString();
    }
};
} // namespace

class tst_Association : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void relateWritesTheTracksValue()
    {
        Rig rig(QStringLiteral("id=1a2b3c4d"));
        Association association(rig.drive, rig.boxes, rig.store, rig.dialogs);
        rig.dialogs.answers << QStringLiteral("/songs/first.dwd") << QStringLiteral("/songs/second.dwd");
        association.relate(3);
        QCOMPARE(rig.stored(QStringLiteral("RelationData/[1a2b3c4d]"), QStringLiteral("[3]")),
                 QStringLiteral("/songs/first.dwd"));
        QCOMPARE(rig.dialogs.titles.first(), QStringLiteral("歌詞ファイルとＣＤとの関連づけ"));
        QCOMPARE(rig.dialogs.filters.first(), QStringLiteral("歌詞ファイル（*.dwd）|*.dwd"));
        QCOMPARE(rig.dialogs.suffixes.first(), QStringLiteral("dwd"));
        association.relate(3); // relating again overwrites
        QCOMPARE(association.lookup(3).value_or(QStringLiteral("?")), QStringLiteral("/songs/second.dwd"));
        QCOMPARE(association.lookup(4).value_or(QStringLiteral("?")), QString());
        QVERIFY(rig.boxes.shown.isEmpty());
    }

    void relateFailures_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("drive empty") << "state=empty" << false << "/a.dwd"
                                     << "ＣＤの情報が得られません。\n関連付けを中止します。";
        QTest::newRow("door open") << "state=open" << false << "/a.dwd"
                                   << "ＣＤの情報が得られません。\n関連付けを中止します。";
        QTest::newRow("dialog cancelled") << "id=abc" << false << ""
                                          << "";
        QTest::newRow("key cannot be opened") << "id=abc" << true << "/a.dwd"
                                              << "関連付けに失敗しました。";
    }

    void relateFailures()
    {
        QFETCH(QString, options);
        QFETCH(bool, locked);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        Rig rig(options);
        LockedStore lockedStore;
        Association association(rig.drive, rig.boxes,
                                locked ? static_cast<SettingsStore&>(lockedStore) : rig.store, rig.dialogs);
        rig.dialogs.answers << answer;
        association.relate(1);
        if (message.isEmpty()) {
            QVERIFY(rig.boxes.shown.isEmpty());
        }
        else {
            QCOMPARE(rig.boxes.shown.size(), 1);
            QCOMPARE(rig.boxes.shown[0].caption, QStringLiteral("ERROR"));
            QCOMPARE(rig.boxes.shown[0].icon, BoxIcon::Error);
            QCOMPARE(rig.boxes.shown[0].text, message);
        }
        QVERIFY(!QSettings(rig.home.configFile(), QSettings::IniFormat)
                     .contains(QStringLiteral("RelationData/[abc]/[1]")));
    }

    // After a take the new file is offered for the track it timed, with the
    // key and messages of relating by hand; no question when it already is.
    void offerRelation_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("before"); // the track's file before, empty for none
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("answer"); // BoxButton, when asked
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("after");
        const QString question = Association::offerQuestion(2, QStringLiteral("/songs/a.dwd"));
        QTest::newRow("new file, yes")
            << "id=d1"
            << "" << false << int(BoxButton::Yes) << QStringList{question} << "/songs/a.dwd";
        QTest::newRow("new file, no") << "id=d1"
                                      << "" << false << int(BoxButton::No) << QStringList{question} << "";
        QTest::newRow("another file, yes")
            << "id=d1"
            << "/songs/old.dwd" << false << int(BoxButton::Yes) << QStringList{question} << "/songs/a.dwd";
        QTest::newRow("already related")
            << "id=d1"
            << "/songs/a.dwd" << false << int(BoxButton::Yes) << QStringList{} << "/songs/a.dwd";
        QTest::newRow("no disc to relate to") << "state=empty"
                                              << "" << false << int(BoxButton::Yes) << QStringList{} << "";
        QTest::newRow("key cannot be opened")
            << "id=d1"
            << "" << true << int(BoxButton::Yes)
            << QStringList{question, QStringLiteral("関連付けに失敗しました。")} << "";
    }
    void offerRelation()
    {
        QFETCH(QString, options);
        QFETCH(QString, before);
        QFETCH(bool, locked);
        QFETCH(int, answer);
        QFETCH(QStringList, boxes);
        QFETCH(QString, after);
        Rig rig(options);
        if (!before.isEmpty())
            QSettings(rig.home.configFile(), QSettings::IniFormat)
                .setValue(QStringLiteral("RelationData/[d1]/[2]"), before);
        LockedStore lockedStore;
        Association association(rig.drive, rig.boxes,
                                locked ? static_cast<SettingsStore&>(lockedStore) : rig.store, rig.dialogs);
        rig.boxes.answer(BoxButton(answer));
        association.offerRelation(2, QStringLiteral("/songs/a.dwd"));
        QStringList shown;
        for (const auto& box : rig.boxes.shown)
            shown << box.text;
        QCOMPARE(shown, boxes);
        if (!boxes.isEmpty()) {
            QCOMPARE(rig.boxes.shown[0].caption, Association::offerCaption());
            QCOMPARE(rig.boxes.shown[0].buttons, BoxButtons::YesNo);
        }
        QCOMPARE(rig.stored(QStringLiteral("RelationData/[d1]"), QStringLiteral("[2]")), after);
        QVERIFY(rig.dialogs.titles.isEmpty());
    }

    void removeDeletesOnlyThatTrack()
    {
        Rig rig(QStringLiteral("id=disc9"));
        Association association(rig.drive, rig.boxes, rig.store, rig.dialogs);
        QVERIFY(!association.remove(2)); // no key for the disc yet
        rig.dialogs.answers << QStringLiteral("/a.dwd") << QStringLiteral("/b.dwd");
        association.relate(2);
        association.relate(5);
        QVERIFY(association.remove(2));
        QVERIFY(!association.remove(2));
        QCOMPARE(association.lookup(2).value_or(QStringLiteral("?")), QString());
        QCOMPARE(association.lookup(5).value_or(QStringLiteral("?")), QStringLiteral("/b.dwd"));
    }

    void removeAndLookupWithoutADisc()
    {
        Rig rig(QStringLiteral("state=empty"));
        Association association(rig.drive, rig.boxes, rig.store, rig.dialogs);
        QVERIFY(!association.remove(1));
        QVERIFY(!association.lookup(1));
    }
};

QTEST_GUILESS_MAIN(tst_Association)
#include "tst_Association.moc"
