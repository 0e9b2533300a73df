#include "AudioFixtures.h"
#include "TestRegistry.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/DiscStartup.h"
#include "platform/cdaudio/ImageDisc.h"

#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace AudioFixtures;

namespace {
// Keys as a map of maps, enough to see what start-up writes.
class MemorySettings final : public SettingsStore {
public:
    QMap<QString, QMap<QString, QString>> keys;

    std::unique_ptr<SettingsKey> openKey(const QString& path, bool create) override
    {
        if (!keys.contains(path) && !create)
            return nullptr;
        return std::make_unique<Key>(keys[path]);
    }

private:
    class Key final : public SettingsKey {
    public:
        explicit Key(QMap<QString, QString>& values) : values_(values) {}
        std::optional<QString> readString(const QString& name) const override
        {
            return values_.contains(name) ? std::optional(values_[name]) : std::nullopt;
        }
        std::optional<qint32> readInteger(const QString&) const override { return std::nullopt; }
        bool writeString(const QString& name, const QString& value) override
        {
            values_[name] = value;
            return true;
        }
        bool writeInteger(const QString&, qint32) override { return false; }
        bool deleteValue(const QString& name) override { return values_.remove(name) > 0; }

    private:
        QMap<QString, QString>& values_;
    };
};
} // namespace

// The demo disc's track 1 is related to the demo lyrics on the first start
// only: a disc the user has related or unrelated already is left alone.
class DiscStartupTest : public QObject {
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

ONDEL_TEST(DiscStartupTest);
#include "tst_DiscStartup.moc"
