#include "AudioFixtures.h"
#include "platform/Clock.h"
#include "platform/MemorySettingsStore.h"
#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/ImageDisc.h"
#include "player/DiscStartup.h"

#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace AudioFixtures;

namespace {
using MemorySettings = MemorySettingsStore;
} // namespace

// The demo disc's track 1 is related to the demo lyrics on the first start
// only: a disc the user has related or unrelated already is left alone.
class tst_DiscStartup : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ManualClock clock_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(writeSound(dir_.filePath("demo.wav"), SF_FORMAT_WAV, 0, frames(400)));
        QVERIFY(writeBytes(dir_.filePath("lyrics.dwd"), "DWD\0\0\0\0\x0b\0\0\0"));
    }

    void relates_data()
    {
        QTest::addColumn<QString>("existingValue"); // empty: no key at all
        QTest::addColumn<QString>("lyrics");
        QTest::addColumn<bool>("written");
        QTest::newRow("first start writes [1]") << QString() << "lyrics.dwd" << true;
        QTest::newRow("a key the user made is kept") << "[2]"
                                                     << "lyrics.dwd" << false;
        QTest::newRow("an emptied key stays empty") << "-"
                                                    << "lyrics.dwd" << false;
        QTest::newRow("no lyrics file, no relation") << QString() << "missing.dwd" << false;
    }

    void relates()
    {
        QFETCH(QString, existingValue);
        QFETCH(QString, lyrics);
        QFETCH(bool, written);
        ImageDisc disc(dir_.filePath("demo.wav"), clock_);
        const QString key = QStringLiteral("Software\\OndelPlayer\\RelationData\\[%1]")
                                .arg(QString::fromLatin1(DiscIdentity::fromToc(disc.toc())));
        MemorySettings settings;
        if (existingValue == QLatin1String("-"))
            settings.keys[key];
        else if (!existingValue.isEmpty())
            settings.keys[key][existingValue] = QStringLiteral("/somewhere/else.dwd");
        const auto before = settings.keys;

        QCOMPARE(DiscStartup::relateDemoLyrics(disc, settings, dir_.filePath(lyrics)), written);
        if (written)
            QCOMPARE(settings.keys.value(key).value(QStringLiteral("[1]")), dir_.filePath(lyrics));
        else
            QCOMPARE(settings.keys, before);
    }
};

QTEST_GUILESS_MAIN(tst_DiscStartup)
#include "tst_DiscStartup.moc"
