#include "TempSettingsHome.h"
#include "core/CdFrames.h"
#include "lyrics/format/ShiftJis.h"
#include "platform/QSettingsStore.h"
#include "platform/Trace.h"
#include "platform/cdaudio/ReplyBuffer.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class tst_PlatformPieces : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The position as the device reports it, written into the caller's buffer.
    void positionText_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("text");
        const int minute = CdFrames::PerMinute;
        QTest::newRow("the start") << 1 << 0 << 32 << QByteArray("01:00:00:00");
        QTest::newRow("every field") << 12 << 3 * minute + 45 * 75 + 74 << 32 << QByteArray("12:03:45:74");
        QTest::newRow("the last two-digit minute")
            << 99 << 99 * minute + 59 * 75 + 74 << 12 << QByteArray("99:99:59:74");
        QTest::newRow("past 99 minutes") << 1 << 100 * minute << 32 << QByteArray("01:100:00:00");
        QTest::newRow("a buffer one short") << 1 << 0 << 11 << QByteArray("01:00:00:0");
        QTest::newRow("a buffer of one") << 1 << 0 << 1 << QByteArray("");
    }

    void positionText()
    {
        QFETCH(int, track);
        QFETCH(int, frames);
        QFETCH(int, size);
        QFETCH(QByteArray, text);
        char out[40];
        std::fill(std::begin(out), std::end(out), 'x');
        CdFrames::writeTmsf(out, size, track, frames);
        QCOMPARE(QByteArray(out), text);
        QCOMPARE(out[size], 'x'); // nothing written past the buffer
        if (size == 32)
            QCOMPARE(CdFrames::formatTmsf(track, frames), text);
    }

    void settingsGroups_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("group");
        QTest::newRow("association key") << "Software\\OndelPlayer\\RelationData\\[1a2b3c4d]"
                                         << "RelationData/[1a2b3c4d]";
        QTest::newRow("player state") << "Software\\OndelPlayer\\PlayerState"
                                      << "PlayerState";
        QTest::newRow("outside the program") << "Software\\Other\\PlayerState"
                                             << "";
        QTest::newRow("the root itself") << "Software\\OndelPlayer\\"
                                         << "";
    }

    void settingsGroups()
    {
        QFETCH(QString, path);
        QFETCH(QString, group);
        QCOMPARE(QSettingsStore::groupFor(path), group);
    }

    void settingsValuesRoundTrip()
    {
        TempSettingsHome home;
        QSettingsStore store;
        const QString path = QStringLiteral("Software\\OndelPlayer\\RelationData\\[1a2b3c4d]");
        QVERIFY(!store.openKey(path, false));
        auto key = store.openKey(path, true);
        QVERIFY(key);
        QVERIFY(key->writeString(QStringLiteral("[3]"), QStringLiteral("/home/u/歌.dwd")));
        QVERIFY(key->writeInteger(QStringLiteral("Left"), -12));
        key.reset();

        QVERIFY(QFile::exists(home.configFile()));
        QSettings raw(home.configFile(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("RelationData/[1a2b3c4d]/[3]")).toString(),
                 QStringLiteral("/home/u/歌.dwd"));

        auto again = store.openKey(path, false);
        QVERIFY(again);
        QCOMPARE(again->readString(QStringLiteral("[3]")).value_or(QString()),
                 QStringLiteral("/home/u/歌.dwd"));
        QCOMPARE(again->readInteger(QStringLiteral("Left")).value_or(0), -12);
        QVERIFY(!again->readInteger(QStringLiteral("[3]")));
        QVERIFY(!again->readString(QStringLiteral("[4]")));
        QVERIFY(again->deleteValue(QStringLiteral("[3]")));
        QVERIFY(!again->deleteValue(QStringLiteral("[3]")));
    }

    void replyFieldsReadByIndex()
    {
        ReplyBuffer reply;
        reply.set("8");
        QCOMPARE(reply.at(0), '8');
        QCOMPARE(reply.at(1), '\0');
        QCOMPARE(reply.at(5), '\0');
        reply.set("03:01:07:42");
        reply.set("ab"); // what follows the terminator is not part of the reply
        QCOMPARE(reply.at(3), '\0');
        QByteArray huge(400, 'x');
        reply.set(huge);
        QCOMPARE(reply.toByteArray().size(), ReplyBuffer::Size - 1);
    }

    void shiftJisBytes()
    {
        QVERIFY(ShiftJis::available());
        QCOMPARE(ShiftJis::encode(u"あい"), QByteArray("\x82\xA0\x82\xA2"));
        QCOMPARE(ShiftJis::decode("\x82\xA0\x82\xA2"), QStringLiteral("あい"));
        // Each text is read on its own: a lead byte cut off at the end of one
        // does not pair with the first byte of the next.
        const QString cut = ShiftJis::decode("\x82\xA0\x82");
        QVERIFY(cut.startsWith(QStringLiteral("あ")));
        QCOMPARE(ShiftJis::decode("A\x82\xA2"), QStringLiteral("Aい"));
        QVERIFY(ShiftJis::isLeadByte(0x81));
        QVERIFY(ShiftJis::isLeadByte(0x9F));
        QVERIFY(!ShiftJis::isLeadByte(0xA0));
        QVERIFY(ShiftJis::isLeadByte(0xE0));
        QVERIFY(ShiftJis::isLeadByte(0xFC));
        QVERIFY(!ShiftJis::isLeadByte(0xFD));
        QVERIFY(!ShiftJis::isLeadByte('A'));
    }

    void traceLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.log"));
        {
            auto trace = Trace::open(path, nullptr);
            QVERIFY(trace);
            trace->command("open cdaudio", 0, "1");
            trace->box(QStringLiteral("Information"), QStringLiteral("ＣＤが使用中です。\n使用を止めて"),
                       QStringLiteral("OK"));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].split('\t').mid(1), (QList<QByteArray>{"cmd", "open cdaudio", "0", "1"}));
        QCOMPARE(lines[1].split('\t').mid(1),
                 (QList<QByteArray>{"box", "Information",
                                    QStringLiteral("ＣＤが使用中です。\\n使用を止めて").toUtf8(), "OK"}));
        QVERIFY(!Trace::open(dir.filePath(QStringLiteral("missing/t.log")), nullptr));
    }
};

QTEST_GUILESS_MAIN(tst_PlatformPieces)
#include "tst_PlatformPieces.moc"
