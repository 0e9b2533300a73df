#include "TempSettingsHome.h"
#include "compile/TapCalibration.h"
#include "compile/TapLatencyStore.h"
#include "core/SettingsKeys.h"
#include "platform/QSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <cstdlib>
#include <limits>

namespace {
bool writeConfig(const QString& name, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}
} // namespace

// The latency kept in the real settings file, in a private config folder.
class tst_TapLatencyStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Whatever the file holds, only a value a count-in can measure is used.
    void readsOnlyAMeasurableValue_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<int>("latency");
        QTest::newRow("no file") << QByteArray() << 0;
        QTest::newRow("no key") << QByteArray("[PlayerState]\nMode=1\n") << 0;
        QTest::newRow("no value") << QByteArray("[CompileState]\nOther=5\n") << 0;
        QTest::newRow("a value") << QByteArray("[CompileState]\nTapLatency=-45\n") << -45;
        QTest::newRow("not a number") << QByteArray("[CompileState]\nTapLatency=fast\n") << 0;
        QTest::newRow("a fraction") << QByteArray("[CompileState]\nTapLatency=45.5\n") << 0;
        QTest::newRow("empty") << QByteArray("[CompileState]\nTapLatency=\n") << 0;
        QTest::newRow("a list") << QByteArray("[CompileState]\nTapLatency=4, 5\n") << 0;
    }
    void readsOnlyAMeasurableValue()
    {
        QFETCH(QByteArray, config);
        QFETCH(int, latency);
        TempSettingsHome home;
        if (!config.isEmpty())
            QVERIFY(writeConfig(home.configFile(), config));
        QSettingsStore settings;
        QCOMPARE(TapLatencyStore(settings).read(), latency);
    }

    // Read and write agree on the range: a value in the file is used exactly
    // when it could have been written, right up to the bounds either side.
    void readsWhatCouldBeWritten()
    {
        const int max = TapCalibration::MaxLatencyMs;
        for (int latency : {-max - 1, -max, max, max + 1, std::numeric_limits<int>::max()}) {
            TempSettingsHome home;
            QVERIFY(writeConfig(home.configFile(),
                                "[CompileState]\nTapLatency=" + QByteArray::number(latency) + '\n'));
            QSettingsStore settings;
            TapLatencyStore store(settings);
            const int read = store.read();
            const bool writable = store.write(latency);
            QCOMPARE(writable, std::abs(qint64(latency)) <= max);
            QCOMPARE(read, writable ? latency : 0);
        }
    }

    void writesWhatItReadsBack_data()
    {
        QTest::addColumn<int>("latency");
        QTest::addColumn<bool>("written");
        QTest::newRow("late") << 45 << true;
        QTest::newRow("early") << -12 << true;
        QTest::newRow("none") << 0 << true;
        QTest::newRow("at the bound") << 300 << true;
        // A value that would read back as 0 is refused, not kept.
        QTest::newRow("past the bound") << 301 << false;
        QTest::newRow("far early") << -100000 << false;
    }
    void writesWhatItReadsBack()
    {
        QFETCH(int, latency);
        QFETCH(bool, written);
        TempSettingsHome home;
        QSettingsStore settings;
        TapLatencyStore store(settings);
        QVERIFY(store.write(7));
        QCOMPARE(store.write(latency), written);
        QCOMPARE(store.read(), written ? latency : 7);
        // The key and value names other installations read.
        const std::unique_ptr<SettingsKey> key = settings.openKey(SettingsKeys::CompileState, false);
        QVERIFY(key);
        QCOMPARE(key->readInteger(QStringLiteral("TapLatency")).value_or(-999), written ? latency : 7);
        QVERIFY(QFile(home.configFile()).open(QIODevice::ReadOnly));
    }

    // The settings file cannot be written (its place is taken by a folder):
    // the write says so, and the value before stays what is read.
    void aFailedWriteIsReported()
    {
        TempSettingsHome home;
        QVERIFY(QDir().mkpath(home.configFile()));
        QSettingsStore settings;
        TapLatencyStore store(settings);
        QVERIFY(!store.write(45));
        QCOMPARE(store.read(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_TapLatencyStore)
#include "tst_TapLatencyStore.moc"
